// Full paths of the platform's own files. Free of <windows.h> so that it can be
// built natively.
#pragma once

#include <cstddef>

// Writes folder + "\" + fileName into out (NUL-terminated) and answers true;
// answers false, with out holding an empty string, when the folder is empty or
// the path does not fit in outSize bytes. A folder that already ends in a
// backslash (a drive's root) gets no second one.
bool JoinSystemPath(const char* folder, const char* fileName, char* out, std::size_t outSize);
