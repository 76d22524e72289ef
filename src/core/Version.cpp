#include "Version.h"

#define KESTRIN_WIDE_TEXT(x) L## #x
#define KESTRIN_NUMBER_TEXT(x) KESTRIN_WIDE_TEXT(x)

namespace kestrin {

// Spelled out when compiled: number formatting would pull a printf into the program.
std::wstring WithVersion(const std::wstring& caption) {
    return caption + L"   Ver. " KESTRIN_NUMBER_TEXT(KESTRIN_VERSION_MAJOR) L"."
                     KESTRIN_NUMBER_TEXT(KESTRIN_VERSION_MINOR) L"."
                     KESTRIN_NUMBER_TEXT(KESTRIN_VERSION_REVISION);
}

}  // namespace kestrin
