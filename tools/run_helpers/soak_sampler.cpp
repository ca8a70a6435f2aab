// Samples, from outside, what a running saver holds: its GDI objects, its
// windows, its kernel handles and its memory. Used by tools/soak.
//   soak_sampler [interval_ms [samples]]      (samples 0: until the saver exits)
//
// Wine does not implement every counter that Windows has, and a stub answers
// a constant as if it measured something. So each source is first tried on
// this process, with a known number of objects made and released: a source
// that does not move by that number is reported as unavailable and never
// sampled. Output, one record a line:
//   figure NAME measured|unavailable WHAT
//   saver PID
//   sample MILLISECONDS NAME=VALUE ...        (one value per measured figure)
//   end exited CODE | end samples
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// --- GDI objects: the process's own GDI handle table -------------------------
// Wine keeps every GDI object of a process in a table whose address the
// process environment block holds (as Windows does). An entry is in use while
// its type is nonzero; stock objects carry a flag and are not counted. The
// sampler and the saver come from the same build, so the PEB of the saver has
// the sampler's own width; the entries have one layout for both widths.
#ifdef _WIN64
constexpr SIZE_T kPebGdiHandleTableOffset = 0xF8;
#else
constexpr SIZE_T kPebGdiHandleTableOffset = 0x94;
#endif
constexpr DWORD kGdiHandleCount = 0x10000;

#pragma pack(push, 1)
struct GdiHandleEntry {
    std::uint64_t object;
    std::uint32_t owner;
    std::uint8_t extTypeAndStock;  // low 7 bits: type with flags; top bit: stock object
    std::uint8_t generation;       // 0 while the entry has never been used
    std::uint8_t type;             // 0 when free
    std::uint8_t flags;
    std::uint64_t userPointer;
};
#pragma pack(pop)
static_assert(sizeof(GdiHandleEntry) == 24, "layout of a GDI handle table entry");

typedef NTSTATUS(NTAPI* QueryProcessFn)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

// Number of GDI objects in the process's table, or -1 when it cannot be read.
long CountGdiObjects(HANDLE process) {
    static QueryProcessFn query = reinterpret_cast<QueryProcessFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    if (query == nullptr) return -1;
    PROCESS_BASIC_INFORMATION basic = {};
    if (query(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) != 0) return -1;
    UINT_PTR table = 0;
    SIZE_T read = 0;
    const auto* peb = reinterpret_cast<const char*>(basic.PebBaseAddress);
    if (!ReadProcessMemory(process, peb + kPebGdiHandleTableOffset, &table, sizeof(table), &read) ||
        read != sizeof(table) || table == 0) {
        return -1;
    }
    // Entries are taken in order and never returned to the never-used state:
    // a whole chunk never used means the rest of the table is too.
    constexpr DWORD kChunk = 4096;
    std::vector<GdiHandleEntry> chunk(kChunk);
    long inUse = 0;
    for (DWORD first = 0; first < kGdiHandleCount; first += kChunk) {
        const auto address = reinterpret_cast<const void*>(table + first * sizeof(GdiHandleEntry));
        if (!ReadProcessMemory(process, address, chunk.data(), kChunk * sizeof(GdiHandleEntry), &read) ||
            read != kChunk * sizeof(GdiHandleEntry)) {
            return -1;
        }
        bool anyUsed = false;
        for (const GdiHandleEntry& entry : chunk) {
            if (entry.generation != 0 || entry.type != 0) anyUsed = true;
            if (entry.type != 0 && (entry.extTypeAndStock & 0x80) == 0) ++inUse;
        }
        if (!anyUsed && first > 0) break;
    }
    return inUse;
}

// --- Windows: every window the process owns -----------------------------------
struct WindowCount {
    DWORD processId;
    long count;
};

BOOL CALLBACK CountIfOwned(HWND window, LPARAM context) {
    auto* counting = reinterpret_cast<WindowCount*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == counting->processId) ++counting->count;
    return TRUE;
}

BOOL CALLBACK CountTreeIfOwned(HWND top, LPARAM context) {
    CountIfOwned(top, context);
    // A child can belong to another process than its parent (a preview, say).
    EnumChildWindows(top, CountIfOwned, context);
    return TRUE;
}

// Top-level, child and message-only windows of the process.
long CountWindows(DWORD processId) {
    WindowCount counting{processId, 0};
    EnumWindows(CountTreeIfOwned, reinterpret_cast<LPARAM>(&counting));
    for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window != nullptr;
         window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr)) {
        CountTreeIfOwned(window, reinterpret_cast<LPARAM>(&counting));
    }
    return counting.count;
}

// --- The figures ---------------------------------------------------------------
long GuiGdi(HANDLE process, DWORD) { return static_cast<long>(GetGuiResources(process, GR_GDIOBJECTS)); }
long GuiUser(HANDLE process, DWORD) { return static_cast<long>(GetGuiResources(process, GR_USEROBJECTS)); }
long GdiTable(HANDLE process, DWORD) { return CountGdiObjects(process); }
long Windows(HANDLE, DWORD processId) { return CountWindows(processId); }
long Handles(HANDLE process, DWORD) {
    DWORD count = 0;
    return GetProcessHandleCount(process, &count) ? static_cast<long>(count) : -1;
}
bool MemoryCounters(HANDLE process, PROCESS_MEMORY_COUNTERS_EX& counters) {
    counters = {};
    return GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters)) != 0;
}
long PrivateKb(HANDLE process, DWORD) {
    PROCESS_MEMORY_COUNTERS_EX counters;
    return MemoryCounters(process, counters) ? static_cast<long>(counters.PrivateUsage / 1024) : -1;
}
long PagefileKb(HANDLE process, DWORD) {
    PROCESS_MEMORY_COUNTERS_EX counters;
    return MemoryCounters(process, counters) ? static_cast<long>(counters.PagefileUsage / 1024) : -1;
}
long WorkingSetKb(HANDLE process, DWORD) {
    PROCESS_MEMORY_COUNTERS_EX counters;
    return MemoryCounters(process, counters) ? static_cast<long>(counters.WorkingSetSize / 1024) : -1;
}

struct Figure {
    const char* name;
    const char* what;
    long (*sample)(HANDLE process, DWORD processId);
    bool measured;
    std::string verdict;
};

// Objects that each calibration makes and releases in this process.
constexpr int kCalibrationObjects = 16;
constexpr SIZE_T kCalibrationBytes = SIZE_T{16} * 1024 * 1024;

std::vector<HGDIOBJ> MakeBrushes() {
    std::vector<HGDIOBJ> brushes;
    brushes.reserve(kCalibrationObjects);
    for (int i = 0; i < kCalibrationObjects; ++i) brushes.push_back(CreateSolidBrush(RGB(i, 0, 0)));
    return brushes;
}

// Windows of every kind that the window count must see.
std::vector<HWND> MakeWindows() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "SoakSamplerCalibration";
    RegisterClassA(&windowClass);
    std::vector<HWND> windows;
    HWND top = CreateWindowExA(0, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               windowClass.hInstance, nullptr);
    HWND message = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   windowClass.hInstance, nullptr);
    windows.push_back(top);
    windows.push_back(message);
    while (static_cast<int>(windows.size()) < kCalibrationObjects) {
        HWND parent = windows.size() % 2 == 0 ? top : message;
        windows.push_back(CreateWindowExA(0, windowClass.lpszClassName, "", WS_CHILD, 0, 0, 1, 1, parent,
                                          nullptr, windowClass.hInstance, nullptr));
    }
    return windows;
}

void Calibrate(Figure& figure, HANDLE self) {
    const DWORD selfId = GetCurrentProcessId();
    const long before = figure.sample(self, selfId);
    long after = before;
    long expected = kCalibrationObjects;
    const std::string name = figure.name;
    if (name == "gdi_objects" || name == "gui_gdi") {
        std::vector<HGDIOBJ> brushes = MakeBrushes();
        after = figure.sample(self, selfId);
        for (HGDIOBJ brush : brushes) DeleteObject(brush);
    } else if (name == "windows" || name == "gui_user") {
        std::vector<HWND> windows = MakeWindows();
        after = figure.sample(self, selfId);
        DestroyWindow(windows[0]);
        DestroyWindow(windows[1]);
    } else if (name == "handles") {
        std::vector<HANDLE> events;
        events.reserve(kCalibrationObjects);
        for (int i = 0; i < kCalibrationObjects; ++i) events.push_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        after = figure.sample(self, selfId);
        for (HANDLE event : events) CloseHandle(event);
    } else if (name == "private_kb" || name == "pagefile_kb" || name == "workingset_kb") {
        auto* block = static_cast<volatile char*>(VirtualAlloc(nullptr, kCalibrationBytes, MEM_COMMIT, PAGE_READWRITE));
        for (SIZE_T offset = 0; block != nullptr && offset < kCalibrationBytes; offset += 4096) block[offset] = 1;
        after = figure.sample(self, selfId);
        VirtualFree(const_cast<char*>(block), 0, MEM_RELEASE);
        expected = static_cast<long>(kCalibrationBytes / 1024);
    }
    char verdict[200];
    SetLastError(0);
    const bool notImplemented = figure.sample(self, selfId) == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED;
    if (notImplemented) {
        std::snprintf(verdict, sizeof(verdict), "not implemented: answers 0 with ERROR_CALL_NOT_IMPLEMENTED");
    } else if (before < 0 || after < 0) {
        std::snprintf(verdict, sizeof(verdict), "cannot be read here");
    } else if (after - before < expected) {
        std::snprintf(verdict, sizeof(verdict), "stub or blind: %ld before and %ld after making %ld", before, after,
                      expected);
    } else {
        figure.measured = true;
        std::snprintf(verdict, sizeof(verdict), "rose by %ld for %ld made", after - before, expected);
    }
    figure.verdict = verdict;
}

}  // namespace

int main(int argc, char** argv) {
    const DWORD intervalMs = argc > 1 ? static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10)) : 5000;
    const unsigned long samples = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 0;
    setvbuf(stdout, nullptr, _IOLBF, 0);

    Figure figures[] = {
        {"gui_gdi", "GetGuiResources(GR_GDIOBJECTS)", GuiGdi, false, ""},
        {"gui_user", "GetGuiResources(GR_USEROBJECTS)", GuiUser, false, ""},
        {"gdi_objects", "GDI objects in the process's GDI handle table, stock objects left out", GdiTable, false, ""},
        {"windows", "USER windows of the process: top-level, child and message-only", Windows, false, ""},
        {"handles", "kernel object handles (GetProcessHandleCount)", Handles, false, ""},
        {"private_kb", "private memory in KiB (GetProcessMemoryInfo PrivateUsage)", PrivateKb, false, ""},
        {"pagefile_kb",
         "private memory in KiB (GetProcessMemoryInfo PagefileUsage; Wine fills it from Linux RssAnon + VmSwap)",
         PagefileKb, false, ""},
        {"workingset_kb", "resident memory in KiB (GetProcessMemoryInfo WorkingSetSize; Wine: Linux VmRSS)",
         WorkingSetKb, false, ""},
    };
    HANDLE self = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, GetCurrentProcessId());
    for (Figure& figure : figures) {
        Calibrate(figure, self);
        std::printf("figure %s %s %s; calibration: %s\n", figure.name, figure.measured ? "measured" : "unavailable",
                    figure.what, figure.verdict.c_str());
    }
    CloseHandle(self);

    HWND saverWindow = nullptr;
    for (int tries = 0; tries < 200 && saverWindow == nullptr; ++tries) {
        saverWindow = FindWindowA("WindowsScreenSaverClass", "SCREENSAVER");
        if (saverWindow == nullptr) Sleep(100);
    }
    if (saverWindow == nullptr) {
        std::printf("end no saver window\n");
        return 1;
    }
    DWORD saverId = 0;
    GetWindowThreadProcessId(saverWindow, &saverId);
    HANDLE saver = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, saverId);
    if (saver == nullptr) {
        std::printf("end cannot open the saver process %lu\n", saverId);
        return 1;
    }
    std::printf("saver %lu\n", saverId);

    const DWORD start = GetTickCount();
    for (unsigned long n = 0; samples == 0 || n < samples; ++n) {
        if (n > 0 && WaitForSingleObject(saver, intervalMs) == WAIT_OBJECT_0) break;
        std::string line = "sample " + std::to_string(GetTickCount() - start);
        for (const Figure& figure : figures) {
            if (!figure.measured) continue;
            const long value = figure.sample(saver, saverId);
            line += std::string(" ") + figure.name + "=" + (value < 0 ? std::string("-") : std::to_string(value));
        }
        std::printf("%s\n", line.c_str());
    }
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(saver, 0) == WAIT_OBJECT_0 && GetExitCodeProcess(saver, &code)) {
        std::printf("end exited %lu\n", code);
    } else {
        std::printf("end samples\n");
    }
    CloseHandle(saver);
    return 0;
}
