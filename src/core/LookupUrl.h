#pragma once
// Which of the program's two lookup URLs this Windows asks.

namespace kestrin {

// Windows before 7 cannot speak TLS 1.2, so a build may name a plain-http legacy URL for
// them (empty when it names none). The choice follows the Windows version alone, never a
// failure: falling back after a failed https lookup would let anyone on the path force
// plain http.
constexpr const wchar_t* ChooseLookupUrl(bool olderThanWindows7, const wchar_t* url,
                                         const wchar_t* legacyUrl) noexcept {
    return olderThanWindows7 && legacyUrl[0] != L'\0' ? legacyUrl : url;
}

}  // namespace kestrin
