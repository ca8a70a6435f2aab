// Copies of the saver that Wine runs as a given version of Windows (its per-program
// "Version" setting), and what the platform then reports to a program.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>

#include "tests/saver/saver_fixture.h"
#include "tests/support/where_tests_run.h"

struct PlatformVersion {
    const char* wineName;  // the value of HKCU\Software\Wine\AppDefaults\<program>\Version
    bool windows9x;
    DWORD reported;  // what GetVersionExA says: platform id * 10000 + major * 100 + minor
};

inline void PrintTo(const PlatformVersion& version, std::ostream* out) { *out << version.wineName; }

inline std::string NameOf(const ::testing::TestParamInfo<PlatformVersion>& info) { return info.param.wineName; }

constexpr PlatformVersion kWin95 = {"win95", true, 10400};
constexpr PlatformVersion kWin98 = {"win98", true, 10410};
constexpr PlatformVersion kWinMe = {"winme", true, 10490};
constexpr PlatformVersion kNt40 = {"nt40", false, 20400};
constexpr PlatformVersion kWin2k = {"win2k", false, 20500};
constexpr PlatformVersion kWinXp = {"winxp", false, 20501};
// A program whose manifest does not name Windows 10 is told 6.2, there as under Wine.
constexpr PlatformVersion kWin10 = {"win10", false, 20602};

// A scratch folder with a copy of the saver and a copy of the platform probe, both of which
// Wine runs as the given version, and the stand-in PASSWORD.CPL and the DLL it imports in the
// system folder. Other copies of both lie beside the saver, as ones planted in a download
// folder would: loaded from there, either makes the verifier accept any password and log
// "attach planted", which every verifier test would see.
class VersionedCopy {
public:
    VersionedCopy(const std::string& baseName, const char* wineName)
        : saverVersion_(HKEY_CURRENT_USER, kAppDefaults + baseName + ".scr", "Version", std::string(wineName)),
          probeVersion_(HKEY_CURRENT_USER, kAppDefaults + baseName + ".exe", "Version", std::string(wineName)) {
        exe_ = scratch_.CopyFromBin("vorbix.scr", baseName + ".scr");
        probe_ = scratch_.CopyFromBin("helpers\\platform_probe.exe", baseName + ".exe");
        scratch_.CopyFromBin("helpers\\PASSWORD.CPL", "PASSWORD.CPL");
        scratch_.CopyFromBin("helpers\\PWIMPORT.DLL", "PWIMPORT.DLL");
    }

    const std::string& exe() const { return exe_; }
    const std::string& folder() const { return scratch_.path(); }
    const SystemFolderFile& verifier() const { return verifier_; }

    // What GetVersionExA tells a program run under the same settings as the saver copy.
    DWORD ReportedVersion() const {
        SaverProcess probe;
        if (!probe.Start(probe_, "version")) return kProbeFailed;
        return probe.WaitForExit(kExitTimeoutMs);
    }

private:
    static constexpr const char* kAppDefaults = "Software\\Wine\\AppDefaults\\";
    ScratchDir scratch_;
    SystemFolderFile verifierImport_{"helpers\\PWIMPORT.DLL", "PWIMPORT.DLL"};
    SystemFolderFile verifier_{"helpers\\PASSWORD.CPL", "PASSWORD.CPL"};
    ScopedRegistryValue saverVersion_;
    ScopedRegistryValue probeVersion_;
    std::string exe_;
    std::string probe_;
};

// A copy of the saver run as one version of Windows, with the screen saver password switched
// on and the stand-in verifier beside it logging to log_. Each test suite names its copies
// with a prefix of its own, so that their Wine settings stay apart.
class VersionedSaverTest : public ::testing::TestWithParam<PlatformVersion> {
protected:
    explicit VersionedSaverTest(const std::string& copyPrefix)
        : copy_(copyPrefix + GetParam().wineName, GetParam().wineName), log_(copy_.folder() + "\\verifier.log") {}

    void SetUp() override {
        SKIP_ON_WINDOWS_ITSELF("runs the saver as another version of Windows (a Wine setting) with a stand-in "
                               "PASSWORD.CPL in the system folder");
    }

    ::testing::AssertionResult ReportsTheVersionAskedFor() const {
        const DWORD reported = copy_.ReportedVersion();
        if (reported == GetParam().reported) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "Wine reports " << reported << " for " << GetParam().wineName
                                             << ", not " << GetParam().reported;
    }

    VersionedCopy copy_;
    std::string log_;
    ScopedRegistryValue usePassword_{HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveUsePassword", 1u};
    ScopedEnvironment logFile_{kVerifierLogVariable, log_};
};

// Whether the platform counts a screen saver as running (SPI_GETSCREENSAVERRUNNING), asked
// from a process of its own: 1 or 0, kProbeFailed, or STILL_ACTIVE if the probe hangs.
inline DWORD PlatformSaysSaverRuns() {
    SaverProcess probe;
    if (!probe.Start(BinDir() + "\\helpers\\platform_probe.exe", "saver-running")) return kProbeFailed;
    return probe.WaitForExit(kExitTimeoutMs);
}
