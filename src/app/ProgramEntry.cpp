// Where the program starts, in place of the C runtime's start-up code. The program needs
// none of it: nothing in it has a static constructor, a destructor run at exit, data per
// thread or a command line to read. Without that code, and the unwind tables and
// sections that come with it, kestrin.exe is several KiB smaller.

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int show);

extern "C" void WINAPI ProgramEntry() {
    wchar_t noArguments[] = L"";
    ExitProcess(static_cast<UINT>(
        wWinMain(GetModuleHandleW(nullptr), nullptr, noArguments, SW_SHOWDEFAULT)));
}
