#include "Memory.h"

#include <windows.h>

namespace kestrin {
namespace {

AllocationHook allocationHook = nullptr;

}  // namespace

void SetAllocationHook(AllocationHook hook) noexcept {
    allocationHook = hook;
}

void* AllocateBytes(std::size_t bytes) noexcept {
    if (allocationHook && !allocationHook(bytes)) return nullptr;
    return HeapAlloc(GetProcessHeap(), 0, bytes);
}

void FreeBytes(void* memory) noexcept {
    if (memory) HeapFree(GetProcessHeap(), 0, memory);
}

}  // namespace kestrin
