#include "Version.h"

namespace kestrin {

std::wstring WithVersion(const std::wstring& caption) {
    return caption + L"   Ver. " + std::to_wstring(KESTRIN_VERSION_MAJOR) + L"." +
           std::to_wstring(KESTRIN_VERSION_MINOR) + L"." +
           std::to_wstring(KESTRIN_VERSION_REVISION);
}

}  // namespace kestrin
