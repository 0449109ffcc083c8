// Loaded into the running program by `window_probe highcontrast`, it answers
// the program's question whether high contrast is on (SystemParametersInfoW,
// SPI_GETHIGHCONTRAST) with yes, as Windows does once the user has turned it
// on: Wine keeps no such setting. It stays until the program ends.
#include "import_slot.h"

namespace {

using SystemParametersFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT);
SystemParametersFn systemParameters = nullptr;

BOOL WINAPI answer(UINT action, UINT param, PVOID data, UINT update)
{
    if (action == SPI_GETHIGHCONTRAST && data != nullptr &&
        static_cast<HIGHCONTRASTW*>(data)->cbSize == sizeof(HIGHCONTRASTW)) {
        auto* setting = static_cast<HIGHCONTRASTW*>(data);
        setting->dwFlags = HCF_AVAILABLE | HCF_HIGHCONTRASTON;
        setting->lpszDefaultScheme = nullptr;
        return TRUE;
    }
    return systemParameters(action, param, data, update);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        systemParameters = reinterpret_cast<SystemParametersFn>(wintest::redirectImport(
            "user32.dll", "SystemParametersInfoW", reinterpret_cast<void*>(&answer)));
        return systemParameters != nullptr;
    }
    return TRUE;
}
