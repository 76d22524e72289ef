#pragma once
// One owner per handle: a move-only wrapper in the shape of std::unique_ptr. Each
// handle kind names its empty value and how it is released.

#include <windows.h>
#include <wininet.h>

#include <utility>

namespace kestrin {

template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Type handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Type get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::Empty(); }

    Type release() noexcept { return std::exchange(handle_, Traits::Empty()); }
    void reset(Type handle = Traits::Empty()) noexcept {
        const Type old = std::exchange(handle_, handle);
        if (old != Traits::Empty()) Traits::Close(old);
    }

private:
    Type handle_ = Traits::Empty();
};

// Most handle kinds are empty when null.
template <typename T, auto Release>
struct NullIsEmpty {
    using Type = T;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { Release(h); }
};

// File handles are the exception: CreateFile fails with INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Type = HANDLE;
    static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { CloseHandle(h); }
};

using UniqueKernelHandle = UniqueHandle<NullIsEmpty<HANDLE, &CloseHandle>>;
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueInternet = UniqueHandle<NullIsEmpty<HINTERNET, &InternetCloseHandle>>;
using UniqueFont = UniqueHandle<NullIsEmpty<HFONT, &DeleteObject>>;
using UniqueBitmap = UniqueHandle<NullIsEmpty<HBITMAP, &DeleteObject>>;
using UniqueBrush = UniqueHandle<NullIsEmpty<HBRUSH, &DeleteObject>>;
using UniqueIcon = UniqueHandle<NullIsEmpty<HICON, &DestroyIcon>>;
using UniqueMenu = UniqueHandle<NullIsEmpty<HMENU, &DestroyMenu>>;
using UniqueDc = UniqueHandle<NullIsEmpty<HDC, &DeleteDC>>;  // made by CreateCompatibleDC

}  // namespace kestrin
