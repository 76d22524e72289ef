#pragma once
// The Windows version this program runs on, as far as its choices depend on it.

namespace kestrin {

bool IsOlderThanWindows7() noexcept;

}  // namespace kestrin
