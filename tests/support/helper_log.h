// Appends one line to the log file named by an environment variable; the
// helper DLLs report what the saver asked of them this way.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstring>

inline void AppendLogLine(const char* variable, const char* line) {
    char path[MAX_PATH];
    if (GetEnvironmentVariableA(variable, path, sizeof(path)) == 0) return;
    if (FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, "%s\n", line);
        std::fclose(file);
    }
}

// Whether the helper DLL was loaded from the platform's system folder, where the saver
// looks for the real ones. A copy loaded from anywhere else is one that someone planted
// beside the saver; the helpers say so in their log ("attach planted").
inline bool LoadedFromSystemFolder(HMODULE module) {
    char path[MAX_PATH] = {};
    char folder[MAX_PATH] = {};
    const DWORD pathLength = GetModuleFileNameA(module, path, MAX_PATH);
    const UINT folderLength = GetSystemDirectoryA(folder, MAX_PATH);
    if (pathLength == 0 || pathLength >= MAX_PATH || folderLength == 0 || folderLength >= MAX_PATH) return false;
    const char* lastSlash = std::strrchr(path, '\\');
    if (lastSlash == nullptr) return false;
    path[lastSlash - path] = '\0';
    return lstrcmpiA(path, folder) == 0;
}

inline const char* AttachLine(HMODULE module) {
    return LoadedFromSystemFolder(module) ? "attach" : "attach planted";
}
