"""The headers of a PE file (.exe, .scr, .dll) as the tools and the tests read them:
its machine, its kind (PE32 or PE32+), its data directories and where an RVA lies
in the file."""
import struct

MACHINE_I386 = 0x14C
MACHINE_AMD64 = 0x8664
DIRECTORY_IMPORT = 1
DIRECTORY_RESOURCE = 2
DIRECTORY_DELAY_IMPORT = 13


class PeError(Exception):
    pass


class PeFile:
    def __init__(self, data):
        self.data = data
        if len(data) < 0x40 or data[:2] != b"MZ":
            raise PeError("no DOS header")
        pe = self.u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        coff = pe + 4
        self.machine = self.u16(coff)
        section_count = self.u16(coff + 2)
        optional_size = self.u16(coff + 16)
        optional = coff + 20
        magic = self.u16(optional)
        if magic == 0x10B:
            self.kind, self._directories = "PE32", optional + 96
        elif magic == 0x20B:
            self.kind, self._directories = "PE32+", optional + 112
        else:
            raise PeError("unknown optional header magic 0x%x" % magic)
        self._directory_count = self.u32(self._directories - 4)
        self._sections = []
        table = optional + optional_size
        for index in range(section_count):
            virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from(
                "<IIII", data, table + 40 * index + 8)
            self._sections.append((virtual_address, max(virtual_size, raw_size), raw_pointer))

    def u16(self, at):
        return struct.unpack_from("<H", self.data, at)[0]

    def u32(self, at):
        return struct.unpack_from("<I", self.data, at)[0]

    def u64(self, at):
        return struct.unpack_from("<Q", self.data, at)[0]

    def directory(self, index):
        """The RVA of data directory INDEX, 0 where the file has none."""
        if index >= self._directory_count:
            return 0
        return self.u32(self._directories + 8 * index)

    def offset(self, rva):
        for start, size, raw in self._sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise PeError("RVA 0x%x lies in no section" % rva)
