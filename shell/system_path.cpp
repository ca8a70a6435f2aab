#include "shell/system_path.h"

#include <cstring>

bool JoinSystemPath(const char* folder, const char* fileName, char* out, std::size_t outSize) {
    if (outSize == 0) return false;
    out[0] = '\0';
    const std::size_t folderLength = std::strlen(folder);
    const std::size_t nameLength = std::strlen(fileName);
    if (folderLength == 0 || nameLength == 0) return false;
    const bool needsSeparator = folder[folderLength - 1] != '\\';
    const std::size_t length = folderLength + (needsSeparator ? 1 : 0) + nameLength;
    if (length >= outSize) return false;
    std::memcpy(out, folder, folderLength);
    std::size_t at = folderLength;
    if (needsSeparator) out[at++] = '\\';
    std::memcpy(out + at, fileName, nameLength);
    out[length] = '\0';
    return true;
}
