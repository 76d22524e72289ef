#include "ShellNotifyRecorder.h"

#include <shellapi.h>

#include <cstring>

#include "Handles.h"

namespace kestrin::test {
namespace {

using ShellNotifyIconAFn = BOOL(WINAPI*)(DWORD, NOTIFYICONDATAA*);

// One recorder at a time patches the one import entry.
ShellNotifyIconAFn forward = nullptr;
HICON lastIcon = nullptr;
int calls = 0;

BOOL WINAPI Record(DWORD message, NOTIFYICONDATAA* data) {
    ++calls;
    if (message != NIM_DELETE && (data->uFlags & NIF_ICON)) lastIcon = data->hIcon;
    return forward(message, data);
}

// The import address entry of the main module that holds `function`.
FARPROC* ImportSlotOf(FARPROC function) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* dll = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; dll->Name != 0; ++dll) {
        for (auto* slot = reinterpret_cast<FARPROC*>(base + dll->FirstThunk); *slot; ++slot)
            if (*slot == function) return slot;
    }
    return nullptr;
}

void WriteSlot(FARPROC* slot, FARPROC value) {
    DWORD previous = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &previous);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, previous, &previous);
}

}  // namespace

ShellNotifyRecorder::ShellNotifyRecorder() {
    original_ = GetProcAddress(GetModuleHandleW(L"shell32.dll"), "Shell_NotifyIconA");
    slot_ = original_ ? ImportSlotOf(original_) : nullptr;
    if (!slot_) return;
    forward = reinterpret_cast<ShellNotifyIconAFn>(reinterpret_cast<void (*)()>(original_));
    lastIcon = nullptr;
    calls = 0;
    WriteSlot(slot_, reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(Record)));
}

ShellNotifyRecorder::~ShellNotifyRecorder() {
    if (slot_) WriteSlot(slot_, original_);
}

HICON ShellNotifyRecorder::LastIcon() const { return lastIcon; }

int ShellNotifyRecorder::Calls() const { return calls; }

int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    const UniqueBitmap colour(info.hbmColor);
    const UniqueBitmap mask(info.hbmMask);
    BITMAP bitmap{};
    GetObjectW(colour.get(), sizeof bitmap, &bitmap);
    return bitmap.bmWidth;
}

}  // namespace kestrin::test
