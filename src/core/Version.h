#pragma once
// The program's version: one place for the code and the executable's version block.

#define KESTRIN_VERSION_MAJOR 1
#define KESTRIN_VERSION_MINOR 0
#define KESTRIN_VERSION_REVISION 0

#ifndef RC_INVOKED
#include <string>

namespace kestrin {

// "Kestrin" becomes "Kestrin   Ver. 1.0.0".
std::wstring WithVersion(const std::wstring& caption);

}  // namespace kestrin
#endif
