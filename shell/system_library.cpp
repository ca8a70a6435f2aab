// The platform's optional DLLs, loaded from its system folder only. A bare name
// would be searched for in the saver's own folder first (and, on Windows 9x and
// NT 4.0, in the current folder next): a saver started from a download folder
// would run whatever PASSWORD.CPL or MPR.DLL lay there.
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
    return LoadLibraryA(path);
}
