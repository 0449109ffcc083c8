// Wine keeps no high-contrast setting. Loaded into a program, this answers
// the program's question whether it is on (SystemParametersInfoW,
// SPI_GETHIGHCONTRAST) through the executable's import table, as Windows
// would: yes from the load (window_probe highcontrast loads it into the
// running MARELO.exe), or as setHighContrast last said (the tests load it
// into themselves). It stays until the program ends.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstring>

namespace {

// The slot through which the program's executable calls `function` of `dll`,
// or null where it does not.
void** importSlot(const char* dll, const char* function)
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         entry->Name != 0; ++entry) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

// Points the slot at `replacement` and returns what it held, or null.
void* redirectImport(const char* dll, const char* function, void* replacement)
{
    void** slot = importSlot(dll, function);
    DWORD protection = 0;
    if (slot == nullptr || !VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection))
        return nullptr;
    void* was = *slot;
    *slot = replacement;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    return was;
}

using SystemParametersFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT);
SystemParametersFn systemParameters = nullptr;
bool on = true;

BOOL WINAPI answer(UINT action, UINT param, PVOID data, UINT update)
{
    if (action == SPI_GETHIGHCONTRAST && data != nullptr &&
        static_cast<HIGHCONTRASTW*>(data)->cbSize == sizeof(HIGHCONTRASTW)) {
        auto* setting = static_cast<HIGHCONTRASTW*>(data);
        setting->dwFlags = HCF_AVAILABLE | (on ? HCF_HIGHCONTRASTON : 0);
        setting->lpszDefaultScheme = nullptr;
        return TRUE;
    }
    return systemParameters(action, param, data, update);
}

} // namespace

extern "C" __declspec(dllexport) void setHighContrast(BOOL value)
{
    on = value != FALSE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        systemParameters = reinterpret_cast<SystemParametersFn>(redirectImport(
            "user32.dll", "SystemParametersInfoW", reinterpret_cast<void*>(&answer)));
        return systemParameters != nullptr;
    }
    return TRUE;
}
