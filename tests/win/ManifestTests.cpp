// kestrin.exe's embedded manifest as the loader reads it: the DPI awareness it declares,
// in the namespaces Windows looks in. Windows 7 and later read the settings this way;
// QueryActCtxSettingsW is looked up at run time, as Windows XP lacks it.

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "KestrinProcess.h"

namespace kestrin::test {
namespace {

constexpr wchar_t kSettings2005[] = L"http://schemas.microsoft.com/SMI/2005/WindowsSettings";
constexpr wchar_t kSettings2016[] = L"http://schemas.microsoft.com/SMI/2016/WindowsSettings";

using QueryActCtxSettingsFn = BOOL(WINAPI*)(DWORD, HANDLE, PCWSTR, PCWSTR, PWSTR, SIZE_T,
                                            SIZE_T*);

// The activation context of an exe's embedded manifest, released when done.
class EmbeddedManifest {
public:
    explicit EmbeddedManifest(const std::wstring& exe) {
        ACTCTXW request{};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = exe.c_str();
        request.lpResourceName = MAKEINTRESOURCEW(1);  // CREATEPROCESS_MANIFEST_RESOURCE_ID
        context_ = CreateActCtxW(&request);
    }
    ~EmbeddedManifest() {
        if (IsRead()) ReleaseActCtx(context_);
    }
    EmbeddedManifest(const EmbeddedManifest&) = delete;
    EmbeddedManifest& operator=(const EmbeddedManifest&) = delete;

    bool IsRead() const { return context_ != INVALID_HANDLE_VALUE; }

    // The value of a windowsSettings element, nothing when the manifest has none.
    std::optional<std::wstring> Setting(const wchar_t* space, const wchar_t* name) const {
        const auto query = reinterpret_cast<QueryActCtxSettingsFn>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "QueryActCtxSettingsW")));
        if (!query) return std::nullopt;
        wchar_t value[128] = {};
        SIZE_T written = 0;
        if (!query(0, context_, space, name, value, std::size(value), &written))
            return std::nullopt;
        return std::wstring(value);
    }

private:
    HANDLE context_ = INVALID_HANDLE_VALUE;
};

TEST(EmbeddedManifest, DeclaresPerMonitorAwarenessV2WithPerMonitorAndTrueBeforeIt) {
    const EmbeddedManifest manifest(ProgramFolder() + L"\\kestrin.exe");
    ASSERT_TRUE(manifest.IsRead()) << "the loader cannot read the manifest: " << GetLastError();
    EXPECT_EQ(manifest.Setting(kSettings2016, L"dpiAwareness"), L"PerMonitorV2, PerMonitor");
    EXPECT_EQ(manifest.Setting(kSettings2005, L"dpiAware"), L"true/pm");
    // Each is found only in its own namespace, as Windows looks for it.
    EXPECT_EQ(manifest.Setting(kSettings2005, L"dpiAwareness"), std::nullopt);
    EXPECT_EQ(manifest.Setting(kSettings2016, L"dpiAware"), std::nullopt);
}

}  // namespace
}  // namespace kestrin::test
