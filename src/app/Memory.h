#pragma once
// Heap memory without the C++ runtime: the program has no exceptions, so running out of
// memory is an answer the caller handles, never the end of the program.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <utility>

namespace kestrin {

// Lets tests refuse allocations on demand: the hook sees each request's size and
// answers whether it may be served. nullptr serves every request the heap can.
using AllocationHook = bool (*)(std::size_t bytes);
void SetAllocationHook(AllocationHook hook) noexcept;

void* AllocateBytes(std::size_t bytes) noexcept;  // nullptr when refused
void FreeBytes(void* memory) noexcept;

// An owned array of plain values on the heap, move-only; false when the memory could
// not be had.
template <typename T>
class HeapArray {
    static_assert(std::is_trivial_v<T>, "the memory is handed out uninitialised");

public:
    HeapArray() noexcept = default;
    explicit HeapArray(std::size_t count) noexcept
        : data_(count <= SIZE_MAX / sizeof(T) ? static_cast<T*>(AllocateBytes(count * sizeof(T)))
                                              : nullptr),
          size_(data_ ? count : 0) {}
    ~HeapArray() { FreeBytes(data_); }

    HeapArray(HeapArray&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
    HeapArray& operator=(HeapArray&& other) noexcept {
        if (this != &other) {
            FreeBytes(data_);
            data_ = std::exchange(other.data_, nullptr);
            size_ = std::exchange(other.size_, 0);
        }
        return *this;
    }
    HeapArray(const HeapArray&) = delete;
    HeapArray& operator=(const HeapArray&) = delete;

    explicit operator bool() const noexcept { return data_ != nullptr; }
    T* data() const noexcept { return data_; }
    std::size_t size() const noexcept { return size_; }
    // Forgets the elements past count; the memory stays until the array goes.
    void Shorten(std::size_t count) noexcept {
        if (count < size_) size_ = count;
    }
    operator std::basic_string_view<T>() const noexcept { return {data_, size_}; }

private:
    T* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace kestrin
