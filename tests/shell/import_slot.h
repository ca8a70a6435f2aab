// Points this executable's import of DLL!function somewhere else. The saver's
// code is linked into the same executable, so its calls go through the same
// slot: this is how the shell's tests give it a platform that answers otherwise.
#pragma once

#include <windows.h>

inline void** FindImportSlot(const char* dll, const char* function) {
    auto* base = reinterpret_cast<unsigned char*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         entry->Name != 0; ++entry) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                return reinterpret_cast<void**>(&slots->u1.Function);
            }
        }
    }
    return nullptr;
}

inline void WriteImportSlot(void** slot, void* value) {
    DWORD oldProtection = 0;
    VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &oldProtection);
    *slot = value;
    VirtualProtect(slot, sizeof(*slot), oldProtection, &oldProtection);
}

// Replaces one import for the life of the object.
class ScopedImport {
public:
    ScopedImport(const char* dll, const char* function, void* replacement)
        : slot_(FindImportSlot(dll, function)) {
        if (slot_ == nullptr) return;
        original_ = *slot_;
        WriteImportSlot(slot_, replacement);
    }
    ~ScopedImport() {
        if (slot_ != nullptr) WriteImportSlot(slot_, original_);
    }
    ScopedImport(const ScopedImport&) = delete;
    ScopedImport& operator=(const ScopedImport&) = delete;
    // False when this executable does not import the function at all.
    bool found() const { return slot_ != nullptr; }
    void* original() const { return original_; }

private:
    void** slot_;
    void* original_ = nullptr;
};
