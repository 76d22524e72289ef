#include "LookupCycle.h"

#include <algorithm>

namespace kestrin {

void WriteReplyFilePath(std::wstring_view tempDir, std::span<wchar_t> out) noexcept {
    wchar_t* at = std::copy(tempDir.begin(), tempDir.end(), out.data());
    *at++ = L'\\';
    at = std::copy(kReplyFileName.begin(), kReplyFileName.end(), at);
    *at = L'\0';
}

}  // namespace kestrin
