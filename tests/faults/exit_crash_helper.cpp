// A program that returns 0 from main and then crashes in the destructor of a
// static object, the way a texture that touched a dead GL context at exit
// would. Started with "--child" it is that program; started without, it runs
// itself as a child process the way the fault tests run the saver, and
// returns the child's exit code. The crash guard must see the crash either way.
#include <windows.h>

#include <cstring>
#include <string>

namespace {

int* volatile g_nowhere = nullptr;

struct CrashesAtExit {
    bool armed = false;
    ~CrashesAtExit() {
        if (armed) *g_nowhere = 1;
    }
};

CrashesAtExit g_crashesAtExit;

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0) {
        g_crashesAtExit.armed = true;
        return 0;
    }
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string commandLine = std::string("\"") + self + "\" --child";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child = {};
    if (!CreateProcessA(self, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child)) {
        return 2;
    }
    WaitForSingleObject(child.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(child.hProcess, &code);
    return static_cast<int>(code);
}
