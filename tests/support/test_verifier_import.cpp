// A DLL that the stand-in PASSWORD.CPL imports, as the real one imports others: the
// copy in the system folder must be the one loaded, not one planted beside the saver.
#include <windows.h>

#include "tests/support/helper_log.h"

namespace {
HMODULE g_module;
}

extern "C" __declspec(dllexport) BOOL VerifierImportPlanted() { return LoadedFromSystemFolder(g_module) ? FALSE : TRUE; }

// The platform fixes DllMain's signature: its reserved argument cannot become const.
// cppcheck-suppress constParameter
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}
