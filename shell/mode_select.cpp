#include "shell/mode_select.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

const char* CommandTail(const char* commandLine) {
    const char* p = commandLine;
    while (IsBlank(*p)) ++p;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p != '\0' && !IsBlank(*p)) ++p;
    }
    while (IsBlank(*p)) ++p;
    return p;
}

std::uint32_t ParseHandleNumber(const char* text) {
    const char* p = text;
    while (IsBlank(*p)) ++p;
    std::uint32_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10u + static_cast<std::uint32_t>(*p - '0');
    }
    return value;
}

ModeChoice ScanCommandTail(const char* tail) {
    for (const char* p = tail; *p != '\0'; ++p) {
        switch (*p) {
            case 's': case 'S':
                return {SaverMode::FullScreen, 0};
            case 'p': case 'P':
                return {SaverMode::Preview, ParseHandleNumber(p + 1)};
            case 'c': case 'C':
                return {SaverMode::Configure, 0};
            case 'a': case 'A':
                return {SaverMode::ChangePassword, ParseHandleNumber(p + 1)};
            default:
                break;
        }
    }
    return {SaverMode::Configure, 0};
}
