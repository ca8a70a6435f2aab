// The platform's optional DLLs, loaded from its system folder only. A bare name
// would be searched for in the saver's own folder first (and, on Windows 9x and
// NT 4.0, in the current folder next): a saver started from a download folder
// would run whatever PASSWORD.CPL or MPR.DLL lay there. The same holds for the
// DLLs those import: the altered search takes them from the loaded DLL's own
// folder, the system folder, before the saver's.
#include <windows.h>

#include "shell/shell.h"
#include "shell/system_path.h"

HMODULE LoadSystemLibrary(const char* fileName) {
    char folder[MAX_PATH];
    const UINT folderLength = GetSystemDirectoryA(folder, sizeof(folder));
    // 0 is a failure; a length that does not fit is the size the folder would need.
    if (folderLength == 0 || folderLength >= sizeof(folder)) return nullptr;
    char path[MAX_PATH];
    if (!JoinSystemPath(folder, fileName, path, sizeof(path))) return nullptr;
    HMODULE library = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    // Only a refused flag falls back: after any other failure (a missing import, say)
    // the standard search could find that import beside the saver.
    if (library == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) library = LoadLibraryA(path);
    return library;
}
