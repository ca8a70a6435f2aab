// Starting the built saver as the platform starts it, and watching it from outside:
// its windows, their styles and rectangles, input, and its exit code.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Directory holding the test executables, the built saver and the helper DLLs.
std::string BinDir();

// A scratch directory for one test, removed by its destructor.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }
    // Copies a file from BinDir() into the directory under a new name.
    std::string CopyFromBin(const std::string& binName, const std::string& newName) const;

private:
    std::string path_;
};

// The saver loads the platform's password DLLs from the system folder only, so that is
// where a test puts its stand-in: a copy of binName from BinDir() under name, for the life
// of the object. What lay there under that name is moved aside and comes back afterwards
// (also after a run that died before it could put it back). On Windows itself the system
// folder is the platform's own: there it does nothing, and the test must have skipped.
class SystemFolderFile {
public:
    SystemFolderFile(const std::string& binName, const std::string& name);
    ~SystemFolderFile();
    SystemFolderFile(const SystemFolderFile&) = delete;
    SystemFolderFile& operator=(const SystemFolderFile&) = delete;
    // Takes the stand-in away: the platform lacks the DLL.
    void Remove() const;

private:
    std::string path_;
    std::string aside_;
    bool refused_ = false;
};

// For the helpers that would change the system (SystemFolderFile, ScopedRegistryValue):
// on Windows itself they do nothing, and a test that reached one without skipping first
// fails when the helper goes.
void ExpectSkippedAfterRefusal(const char* what);

// The platform's system folder, without a trailing backslash.
std::string SystemFolder();

class SaverProcess {
public:
    SaverProcess() = default;
    ~SaverProcess();  // ends a saver that is still running
    SaverProcess(const SaverProcess&) = delete;
    SaverProcess& operator=(const SaverProcess&) = delete;

    // Starts exePath with the command line "<exePath>" tail, as the platform does.
    bool Start(const std::string& exePath, const std::string& tail);
    // Waits for the exit while pumping this thread's messages; STILL_ACTIVE on time-out.
    DWORD WaitForExit(DWORD timeoutMs);
    bool Running() const;
    DWORD id() const { return info_.dwProcessId; }
    // Waits until the process's thread has taken everything that was queued for it before
    // the call (and whatever that made it post to itself) and waits for more, or until the
    // process has ended. False on time-out.
    bool WaitUntilIdle(DWORD timeoutMs) const;

    // A top-level window of this process with the given class (and title, when given).
    HWND WaitForTopLevel(const char* className, const char* title, DWORD timeoutMs) const;
    // Every top-level window of this process that is visible.
    std::vector<HWND> VisibleTopLevels() const;

private:
    PROCESS_INFORMATION info_ = {};
};

// Pumps this thread's messages for the given time.
void PumpFor(DWORD ms);
// Polls condition (pumping messages) until it holds or the time runs out.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        PumpFor(20);
    }
}

// Real input through the platform's input queue.
void PressKey(WORD virtualKey);
void ClickLeft();
// Moves the cursor by (dx, dy) from where it is, on any monitor; meanwhile runs
// between the move and the platform's settling of it.
void MoveCursorBy(int dx, int dy, const std::function<void()>& meanwhile = {});

std::string ClassNameOf(HWND window);
std::string TextOf(HWND window);
RECT ScreenRectOf(HWND window);
RECT ClientRectOf(HWND window);
// Left edge of a child window in its parent's client coordinates.
POINT PositionInParent(HWND child);

// The helper DLLs write one line per event to the file named by these variables.
constexpr char kVerifierLogVariable[] = "VORBIX_TEST_VERIFIER_LOG";
constexpr char kVerifierAnswersVariable[] = "VORBIX_TEST_VERIFIER_ANSWERS";
constexpr char kPasswordChangeLogVariable[] = "VORBIX_TEST_MPR_LOG";
// The stand-in verifier keeps a dialog up until it is closed when this variable is "1".
constexpr char kVerifierWaitVariable[] = "VORBIX_TEST_VERIFIER_WAIT";
std::vector<std::string> ReadLines(const std::string& path);

// The exit code of helpers\platform_probe.exe when it cannot tell.
constexpr DWORD kProbeFailed = 255;
