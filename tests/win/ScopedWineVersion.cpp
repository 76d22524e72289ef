#include "ScopedWineVersion.h"

#include <cstring>
#include <utility>

namespace kestrin::test {
namespace {

constexpr wchar_t kWineKey[] = L"Software\\Wine";
constexpr wchar_t kVersionValue[] = L"Version";

class WineKey {
public:
    // Only a writer creates the key; a reader finds it or nothing.
    explicit WineKey(REGSAM access) {
        const LONG opened =
            access & KEY_SET_VALUE
                ? RegCreateKeyExW(HKEY_CURRENT_USER, kWineKey, 0, nullptr, 0, access, nullptr,
                                  &key_, nullptr)
                : RegOpenKeyExW(HKEY_CURRENT_USER, kWineKey, 0, access, &key_);
        if (opened != ERROR_SUCCESS) key_ = nullptr;
    }
    ~WineKey() {
        if (key_) RegCloseKey(key_);
    }
    WineKey(const WineKey&) = delete;
    WineKey& operator=(const WineKey&) = delete;

    HKEY get() const noexcept { return key_; }

private:
    HKEY key_ = nullptr;
};

// The value's type and bytes as stored, whatever its type, so it can be put back as it was.
bool ReadVersion(HKEY key, DWORD& type, std::vector<BYTE>& bytes) {
    DWORD size = 0;
    if (RegQueryValueExW(key, kVersionValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    bytes.resize(size);
    if (RegQueryValueExW(key, kVersionValue, nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS)
        return false;
    bytes.resize(size);
    return true;
}

bool WriteVersion(HKEY key, DWORD type, const std::vector<BYTE>& bytes) {
    return RegSetValueExW(key, kVersionValue, 0, type, bytes.data(),
                          static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

}  // namespace

ScopedWineVersion::ScopedWineVersion(const std::wstring& version) {
    const WineKey key(KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key.get()) return;
    Value old{};
    if (ReadVersion(key.get(), old.type, old.bytes)) previous_ = std::move(old);
    const auto* text = reinterpret_cast<const BYTE*>(version.c_str());
    const std::vector<BYTE> bytes(text, text + (version.size() + 1) * sizeof(wchar_t));
    applied_ = WriteVersion(key.get(), REG_SZ, bytes);
}

ScopedWineVersion::~ScopedWineVersion() {
    if (!applied_) return;
    const WineKey key(KEY_SET_VALUE);
    if (!key.get()) return;
    if (previous_)
        WriteVersion(key.get(), previous_->type, previous_->bytes);
    else
        RegDeleteValueW(key.get(), kVersionValue);
}

std::optional<std::wstring> ScopedWineVersion::Current() {
    const WineKey key(KEY_QUERY_VALUE);
    DWORD type = 0;
    std::vector<BYTE> bytes;
    if (!key.get() || !ReadVersion(key.get(), type, bytes) || type != REG_SZ) return std::nullopt;
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

}  // namespace kestrin::test
