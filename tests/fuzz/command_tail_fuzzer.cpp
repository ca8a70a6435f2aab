// Any byte string as the process command line: the tail is cut and scanned
// without reading past its end, and the mode is the first acting letter's.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "shell/mode_select.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The platform hands over a NUL-terminated string: what follows a NUL is never seen.
    const std::string commandLine(reinterpret_cast<const char*>(data), size);
    const char* line = commandLine.c_str();
    const char* tail = CommandTail(line);
    if (tail < line || tail > line + std::strlen(line)) std::abort();

    const ModeChoice choice = ScanCommandTail(tail);
    const char* letter = std::strpbrk(tail, "aAcCpPsS");
    SaverMode expected = SaverMode::Configure;
    if (letter != nullptr) {
        switch (*letter | 0x20) {
            case 's': expected = SaverMode::FullScreen; break;
            case 'p': expected = SaverMode::Preview; break;
            case 'a': expected = SaverMode::ChangePassword; break;
            default: expected = SaverMode::Configure; break;
        }
    }
    if (choice.mode != expected) std::abort();
    const bool takesNumber = expected == SaverMode::Preview || expected == SaverMode::ChangePassword;
    if (!takesNumber && choice.handleNumber != 0) std::abort();
    if (takesNumber && choice.handleNumber != ParseHandleNumber(letter + 1)) std::abort();
    return 0;
}
