#pragma once
// The Windows version that Wine reports to the processes started from now on.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace kestrin::test {

// Sets HKCU\Software\Wine "Version" (L"winxp", L"win7", L"win10", ...), which Wine reads
// when a process starts; puts back the earlier value, or removes it, when done.
class ScopedWineVersion {
public:
    explicit ScopedWineVersion(const std::wstring& version);
    ~ScopedWineVersion();
    ScopedWineVersion(const ScopedWineVersion&) = delete;
    ScopedWineVersion& operator=(const ScopedWineVersion&) = delete;

    bool Applied() const noexcept { return applied_; }

    // The version set now, or nothing when none is set (Wine then reports its default).
    static std::optional<std::wstring> Current();

private:
    struct Value {
        DWORD type;
        std::vector<BYTE> bytes;
    };
    std::optional<Value> previous_;
    bool applied_ = false;
};

}  // namespace kestrin::test
