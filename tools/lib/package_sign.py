"""Authenticode signatures for the download's savers and packages, made with
Debian's osslsigncode (SHA-256) when the environment names a key:

  VORBIX_SIGN_PKCS11_MODULE  a PKCS#11 module (a token's, a cloud HSM's), with
  VORBIX_SIGN_PKCS11_KEY     the key's PKCS#11 URI and
  VORBIX_SIGN_CERT           the certificate chain (PEM), signer first;
  VORBIX_SIGN_PKCS12         or a PKCS#12 file of key and chain;
  VORBIX_SIGN_PASSWORD       the PKCS#12 file's password, or the token's PIN;
  VORBIX_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamping server (optional).

The password reaches osslsigncode through a file of mode 600 in a temporary
folder that is removed afterwards, never on a command line, and no message
shows it. Without a key nothing is signed and the download stays reproducible.
"""
import os
import shutil
import subprocess
import tempfile
from pathlib import Path

PKCS11 = ("VORBIX_SIGN_PKCS11_MODULE", "VORBIX_SIGN_PKCS11_KEY", "VORBIX_SIGN_CERT")


class SignError(Exception):
    pass


def signer(environ, description):
    """A Signer for the key ENVIRON names, or None when it names none."""
    given = {name: environ.get(name, "") for name in PKCS11 + ("VORBIX_SIGN_PKCS12",)}
    if not any(given.values()):
        return None
    if given["VORBIX_SIGN_PKCS12"]:
        if any(given[name] for name in PKCS11):
            raise SignError("both VORBIX_SIGN_PKCS12 and VORBIX_SIGN_PKCS11_* are set: name one key")
        key = ["-pkcs12", given["VORBIX_SIGN_PKCS12"]]
        files = [given["VORBIX_SIGN_PKCS12"]]
    else:
        missing = [name for name in PKCS11 if not given[name]]
        if missing:
            raise SignError("a PKCS#11 key needs %s too" % " and ".join(missing))
        if "pin-value" in given["VORBIX_SIGN_PKCS11_KEY"].lower():
            # The URI goes on osslsigncode's command line, which ps shows.
            raise SignError("VORBIX_SIGN_PKCS11_KEY holds a PIN: give it in VORBIX_SIGN_PASSWORD instead")
        key = ["-pkcs11module", given["VORBIX_SIGN_PKCS11_MODULE"], "-certs", given["VORBIX_SIGN_CERT"],
               "-key", given["VORBIX_SIGN_PKCS11_KEY"]]
        files = [given["VORBIX_SIGN_PKCS11_MODULE"], given["VORBIX_SIGN_CERT"]]
    for path in files:
        if not Path(path).is_file():
            raise SignError("no file %s" % path)
    if shutil.which("osslsigncode") is None:
        raise SignError("osslsigncode is not installed (tools/install-deps build installs it)")
    # The description is what User Account Control shows as the program's name for a signed .msi.
    options = ["-h", "sha256", "-n", description]
    url = environ.get("VORBIX_SIGN_TIMESTAMP_URL", "")
    if url:
        options += ["-ts", url]
    return Signer(key + options, environ.get("VORBIX_SIGN_PASSWORD", ""))


class Signer:
    def __init__(self, options, password):
        self.options = options
        self.password = password
        self.timestamped = "-ts" in options

    def sign(self, data, name):
        """DATA, the bytes of the file NAME (a .scr or an .msi), signed."""
        with tempfile.TemporaryDirectory(prefix="vorbix-sign.") as work:
            work = Path(work)
            unsigned, signed = work / ("unsigned-" + name), work / name
            unsigned.write_bytes(data)
            command = ["osslsigncode", "sign"] + self.options
            if self.password:
                secret = work / "password"
                descriptor = os.open(secret, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
                with os.fdopen(descriptor, "w", encoding="utf-8") as file:
                    file.write(self.password)
                command += ["-readpass", str(secret)]
            command += ["-in", str(unsigned), "-out", str(signed)]
            try:
                done = subprocess.run(command, capture_output=True, text=True, stdin=subprocess.DEVNULL)
            except OSError as error:
                raise SignError("osslsigncode: %s" % error) from None
            if done.returncode != 0 or not signed.is_file():
                said = (done.stdout + done.stderr).strip()[-1500:]
                if self.password:
                    said = said.replace(self.password, "(the password)")
                raise SignError("osslsigncode sign %s failed (exit code %d): %s" % (name, done.returncode, said))
            return signed.read_bytes()
