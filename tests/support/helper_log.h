// Appends one line to the log file named by an environment variable; the
// helper DLLs report what the saver asked of them this way.
#pragma once

#include <windows.h>

#include <cstdio>

inline void AppendLogLine(const char* variable, const char* line) {
    char path[MAX_PATH];
    if (GetEnvironmentVariableA(variable, path, sizeof(path)) == 0) return;
    if (FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, "%s\n", line);
        std::fclose(file);
    }
}
