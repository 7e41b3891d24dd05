#pragma once
// The import slot through which every call of a platform function in this
// program goes, and a way to put another function into it. The program's own
// code and the toolkit linked into it call through the slot alike.
//   IMPORT_SLOT(tick_slot, GetTickCount, 0);  // 0: bytes of arguments (32-bit name)
#include <windows.h>

#ifdef _WIN64
#define IMPORT_SLOT(variable, function, argument_bytes) \
    extern "C" decltype(&function) variable __asm__("__imp_" #function)
#else
#define IMPORT_SLOT(variable, function, argument_bytes) \
    extern "C" decltype(&function) variable __asm__("__imp__" #function "@" #argument_bytes)
#endif

// Puts replacement into slot; returns what the slot held.
template <class Function>
Function replace_import(Function& slot, Function replacement) {
    const Function previous = slot;
    DWORD old = 0;
    VirtualProtect(&slot, sizeof slot, PAGE_READWRITE, &old);
    slot = replacement;
    VirtualProtect(&slot, sizeof slot, old, &old);
    return previous;
}
