#pragma once
// Functions of the system's DLLs that Windows XP lacks are looked up at run time, so that
// the program still starts there and does without them.

#include <windows.h>

namespace kestrin {

// The function `name` of a DLL the process has already loaded, or nullptr.
template <typename Function>
Function SystemFunction(const wchar_t* dll, const char* name) {
    const HMODULE module = GetModuleHandleW(dll);
    const FARPROC found = module ? GetProcAddress(module, name) : nullptr;
    // void(*)() first: the one function type GCC lets any other be cast through.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

}  // namespace kestrin
