// run-tests.exe: runs the test programs that lie beside it (*_tests.exe), each case in a
// process of its own, one at a time, with a time-out, and says how each went. It needs
// nothing installed: unzip the test pack anywhere and run it, on Windows 7 to 11 or
// under Wine. It writes only into its own results folder and the temporary folder, and
// each case runs in a job object that ends whatever the case left running.
//
//   run-tests.exe [--filter PATTERN] [--junit FILE] [--as-windows] [--timeout SECONDS]
//                 [--results DIR] [--list]
//
// The last line is "tests: N passed, N failed, N skipped"; the exit code is 0 only when
// nothing failed. A failed case leaves its output (NAME.log) and a picture of the screen
// (NAME.bmp) in the results folder.

// Job objects and the rest of what this needs came with Windows 2000 to 7; the
// saver's own headers stop at Windows 95 and NT 4.0.
#undef WINVER
#undef _WIN32_WINNT
#define WINVER 0x0601
#define _WIN32_WINNT 0x0601
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "shell/shell.h"
#include "tests/pack/gtest_output.h"
#include "tests/support/where_tests_run.h"

namespace {

struct Options {
    std::string filter;
    std::string junit;
    std::string results;
    bool asWindows = false;
    bool listOnly = false;
    DWORD timeoutMs = 180 * 1000;
};

struct Case {
    std::string program;  // file name, e.g. "saver_process_tests.exe"
    std::string name;     // "Suite.Case"
};

struct Outcome {
    Case what;
    CaseResult result;
    double seconds;
    std::string output;
};

std::string Folder(const std::string& path) { return path.substr(0, path.find_last_of("\\/")); }

std::string OwnFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return Folder(std::string(path, length));
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// A case name as a file name: parameterised names carry slashes.
std::string FileNameOf(const std::string& caseName) {
    std::string name = caseName;
    std::replace(name.begin(), name.end(), '/', '_');
    return name;
}

void Usage() {
    std::fputs("usage: run-tests.exe [--filter PATTERN] [--junit FILE] [--as-windows] [--timeout SECONDS]\n"
               "                     [--results DIR] [--list]\n"
               "  --filter PATTERN   only the cases whose Suite.Case name matches (GoogleTest's filter:\n"
               "                     * and ?, several joined by ':', exclusions after '-')\n"
               "  --junit FILE       also write the results as JUnit XML\n"
               "  --as-windows       under Wine, every test takes the branch it takes on Windows itself\n"
               "  --timeout SECONDS  a case still running then fails (default 180)\n"
               "  --results DIR      where failed cases leave their output and a picture of the screen\n"
               "                     (default: the folder results beside run-tests.exe)\n"
               "  --list             list the cases and run none\n",
               stderr);
}

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--filter" && hasValue) {
            options->filter = argv[++i];
        } else if (arg == "--junit" && hasValue) {
            options->junit = argv[++i];
        } else if (arg == "--results" && hasValue) {
            options->results = argv[++i];
        } else if (arg == "--timeout" && hasValue) {
            const long seconds = std::strtol(argv[++i], nullptr, 10);
            if (seconds <= 0 || seconds > 24 * 3600) return false;
            options->timeoutMs = static_cast<DWORD>(seconds) * 1000;
        } else if (arg == "--as-windows") {
            options->asWindows = true;
        } else if (arg == "--list") {
            options->listOnly = true;
        } else {
            return false;
        }
    }
    return true;
}

// The Windows (or Wine) this runs on, for the first line of the output.
std::string PlatformLine() {
    std::string line = sizeof(void*) == 8 ? "the 64-bit saver and tests" : "the 32-bit saver and tests";
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    using WineVersion = const char*(CDECL*)();
    if (auto wine = LookUp<WineVersion>(ntdll, "wine_get_version")) {
        line += std::string(", under Wine ") + wine();
    }
    // RtlGetVersion tells the truth that GetVersionEx keeps from programs without a manifest.
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (auto get = LookUp<GetVersion>(ntdll, "RtlGetVersion"); get != nullptr && get(&version) == 0) {
        char text[64];
        std::snprintf(text, sizeof(text), ", Windows %lu.%lu build %lu", version.dwMajorVersion,
                      version.dwMinorVersion, version.dwBuildNumber);
        line += text;
    }
    BOOL wow64 = FALSE;
    if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64) line += " (64-bit, through WOW64)";
    return line;
}

// A picture of the whole desktop, as a 24-bit BMP file.
void SaveScreenPicture(const std::string& path) {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width <= 0 || height <= 0) return;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    header.biSizeImage = stride * static_cast<DWORD>(height);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits,
                                       nullptr, 0);
    if (picture != nullptr) {
        HGDIOBJ old = SelectObject(memory, picture);
        BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY | CAPTUREBLT);
        GdiFlush();
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(file) + sizeof(header);
        file.bfSize = file.bfOffBits + header.biSizeImage;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(&file), sizeof(file));
        out.write(reinterpret_cast<const char*>(&header), sizeof(header));
        out.write(static_cast<const char*>(bits), header.biSizeImage);
        SelectObject(memory, old);
        DeleteObject(picture);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

struct RunResult {
    bool started = false;
    bool timedOut = false;
    DWORD exitCode = 0;
    std::string output;
};

// Runs a command line in its own job, its standard output and error into a file, and
// ends everything in the job when the command ends or its time is up. On a time-out the
// picture of the screen is taken first, while the case's windows are still up.
RunResult RunInJob(const std::string& commandLine, const std::string& folder, const std::string& outputPath,
                   DWORD timeoutMs, const std::string& picturePath) {
    RunResult run;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                               nullptr);
    if (output == INVALID_HANDLE_VALUE || input == INVALID_HANDLE_VALUE) {
        run.output = "cannot create " + outputPath;
        if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
        if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
        return run;
    }
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    // A crash ends the process instead of waiting on an error dialog; closing the job
    // ends whatever is left in it, also when this runner itself is ended.
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE |
                                              JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    if (job != nullptr) SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    run.started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                                 folder.c_str(), &startup, &process) != 0;
    const DWORD startError = GetLastError();
    CloseHandle(output);
    CloseHandle(input);
    if (!run.started) {
        run.output = "cannot start " + commandLine + " (error " + std::to_string(startError) + ")";
        if (job != nullptr) CloseHandle(job);
        return run;
    }
    // Windows 7 allows no job inside another: where this runner already is in one, the
    // case runs without, and only its own process is ended on a time-out.
    const bool inJob = job != nullptr && AssignProcessToJobObject(job, process.hProcess);
    ResumeThread(process.hThread);
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_TIMEOUT) {
        run.timedOut = true;
        if (!picturePath.empty()) SaveScreenPicture(picturePath);
        if (!inJob) TerminateProcess(process.hProcess, 1);
    }
    if (inJob) TerminateJobObject(job, 1);
    WaitForSingleObject(process.hProcess, 10000);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (job != nullptr) CloseHandle(job);
    run.output = ReadWholeFile(outputPath);
    DeleteFileA(outputPath.c_str());
    return run;
}

// The command line that starts the test program in folder with the arguments.
std::string CommandLine(const std::string& folder, const std::string& program, const std::string& arguments) {
    return "\"" + folder + "\\" + program + "\" " + arguments;
}

std::string TempFolder() {
    char base[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, base);
    std::string folder = std::string(base, length) + "vorbix-run-tests-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::vector<std::string> TestPrograms(const std::string& folder) {
    std::vector<std::string> programs;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*_tests.exe").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return programs;
    do {
        programs.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(programs.begin(), programs.end());
    return programs;
}

std::string XmlText(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '&': escaped += "&amp;"; break;
            case '"': escaped += "&quot;"; break;
            default:
                // XML 1.0 allows no other control characters; the output's code page is not UTF-8.
                if (byte >= 0x80 || (byte < 0x20 && c != '\n' && c != '\t')) {
                    if (c != '\r') escaped += '?';
                } else {
                    escaped += c;
                }
        }
    }
    return escaped;
}

bool WriteJunit(const std::string& path, const std::vector<Outcome>& outcomes, const std::string& platform) {
    std::ofstream out(path, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites name=\"" << XmlText(platform) << "\">\n";
    for (size_t first = 0; first < outcomes.size();) {
        size_t end = first;
        int failures = 0, skipped = 0;
        double seconds = 0;
        for (; end < outcomes.size() && outcomes[end].what.program == outcomes[first].what.program; ++end) {
            failures += outcomes[end].result.outcome == CaseOutcome::Failed;
            skipped += outcomes[end].result.outcome == CaseOutcome::Skipped;
            seconds += outcomes[end].seconds;
        }
        const std::string suite = outcomes[first].what.program.substr(0, outcomes[first].what.program.size() - 4);
        out << "  <testsuite name=\"" << suite << "\" tests=\"" << end - first << "\" failures=\"" << failures
            << "\" errors=\"0\" skipped=\"" << skipped << "\" time=\"" << seconds << "\">\n";
        for (size_t i = first; i < end; ++i) {
            const Outcome& o = outcomes[i];
            const size_t dot = o.what.name.find('.');
            out << "    <testcase classname=\"" << XmlText(suite + "." + o.what.name.substr(0, dot)) << "\" name=\""
                << XmlText(o.what.name.substr(dot + 1)) << "\" time=\"" << o.seconds << "\">";
            if (o.result.outcome == CaseOutcome::Skipped) {
                out << "<skipped message=\"" << XmlText(o.result.reason) << "\"/>";
            } else if (o.result.outcome == CaseOutcome::Failed) {
                out << "<failure message=\"" << XmlText(o.result.reason) << "\">" << XmlText(o.output) << "</failure>";
            }
            out << "</testcase>\n";
        }
        out << "  </testsuite>\n";
        first = end;
    }
    out << "</testsuites>\n";
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        Usage();
        return 2;
    }
    // No error boxes for a case that crashes or a drive without a disk; the cases inherit it.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    if (options.asWindows) SetEnvironmentVariableA(kAsWindowsVariable, "1");
    const std::string folder = OwnFolder();
    if (options.results.empty()) options.results = folder + "\\results";
    const std::string platform = PlatformLine();
    std::printf("run-tests: %s%s\n", platform.c_str(),
                options.asWindows ? "; every test takes its Windows-itself branch (--as-windows)" : "");

    const std::string temp = TempFolder();
    std::vector<Case> cases;
    for (const std::string& program : TestPrograms(folder)) {
        // The programs apply the filter themselves, as GoogleTest reads it.
        const std::string list = options.filter.empty() ? "--gtest_list_tests"
                                                        : "--gtest_list_tests \"--gtest_filter=" + options.filter + "\"";
        const RunResult listing = RunInJob(CommandLine(folder, program, list), folder, temp + "\\list.txt",
                                           options.timeoutMs, "");
        const std::vector<std::string> names = ParseCaseList(listing.output);
        if (listing.exitCode != 0 || (names.empty() && options.filter.empty())) {
            std::printf("FAILED   %s: its cases could not be listed (exit code %lu)\n%s\n", program.c_str(),
                        listing.exitCode, listing.output.c_str());
            RemoveDirectoryA(temp.c_str());
            std::printf("tests: 0 passed, 1 failed, 0 skipped\n");
            return 1;
        }
        std::transform(names.begin(), names.end(), std::back_inserter(cases),
                       [&](const std::string& name) { return Case{program, name}; });
    }
    if (cases.empty()) {
        RemoveDirectoryA(temp.c_str());
        std::printf("run-tests: no test cases%s beside %s\ntests: 0 passed, 1 failed, 0 skipped\n",
                    options.filter.empty() ? "" : " match the filter", folder.c_str());
        return 1;
    }
    if (options.listOnly) {
        for (const Case& c : cases) std::printf("%s %s\n", c.program.c_str(), c.name.c_str());
        RemoveDirectoryA(temp.c_str());
        return 0;
    }
    std::printf("run-tests: %u cases from %s\n", static_cast<unsigned>(cases.size()), folder.c_str());
    std::fflush(stdout);

    CreateDirectoryA(options.results.c_str(), nullptr);
    // What an earlier run left there would pass for this one's.
    for (const char* kind : {"\\*.log", "\\*.bmp"}) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((options.results + kind).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) continue;
        do {
            DeleteFileA((options.results + "\\" + found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    std::vector<Outcome> outcomes;
    int counts[3] = {};
    for (const Case& c : cases) {
        const std::string base = options.results + "\\" + FileNameOf(c.name);
        const DWORD start = GetTickCount();
        const RunResult run = RunInJob(CommandLine(folder, c.program, "--gtest_color=no --gtest_filter=" + c.name),
                                       folder, temp + "\\case.txt", options.timeoutMs, base + ".bmp");
        Outcome outcome{c, ReadCaseResult(c.name, run.output, run.exitCode), (GetTickCount() - start) / 1000.0,
                        run.output};
        if (run.timedOut) {
            outcome.result = {CaseOutcome::Failed, "still running after " + std::to_string(options.timeoutMs / 1000) +
                                                       " s; ended with everything it started"};
        } else if (!run.started) {
            outcome.result = {CaseOutcome::Failed, run.output};
        }
        ++counts[static_cast<int>(outcome.result.outcome)];
        switch (outcome.result.outcome) {
            case CaseOutcome::Passed:
                std::printf("passed   %s (%.1f s)\n", c.name.c_str(), outcome.seconds);
                break;
            case CaseOutcome::Skipped:
                std::printf("skipped  %s: %s\n", c.name.c_str(), outcome.result.reason.c_str());
                break;
            case CaseOutcome::Failed:
                if (!run.timedOut) SaveScreenPicture(base + ".bmp");
                std::ofstream(base + ".log", std::ios::binary) << run.output;
                std::printf("FAILED   %s: %s (its output: %s.log)\n", c.name.c_str(), outcome.result.reason.c_str(),
                            base.c_str());
                break;
        }
        std::fflush(stdout);
        outcomes.push_back(outcome);
    }
    RemoveDirectoryA(temp.c_str());

    const int passed = counts[static_cast<int>(CaseOutcome::Passed)];
    const int failed = counts[static_cast<int>(CaseOutcome::Failed)];
    const int skipped = counts[static_cast<int>(CaseOutcome::Skipped)];
    int status = failed == 0 ? 0 : 1;
    if (!options.junit.empty() && !WriteJunit(options.junit, outcomes, platform)) {
        std::printf("run-tests: cannot write %s\n", options.junit.c_str());
        status = 1;
    }
    std::printf("tested: %s\ntests: %d passed, %d failed, %d skipped\n", platform.c_str(), passed, failed, skipped);
    return status;
}
