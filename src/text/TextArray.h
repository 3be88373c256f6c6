// TextArray: an owned list of Text indexed from 1.
//
// Reading or replacing an element outside 1..Count() is fatal: below 1 raises
// run-time error 4, above the count error 1 (the below-1 test comes first).
#pragma once

#include <cstddef>
#include <new>
#include <vector>

#include "text/Text.h"

namespace velmora {

// Takes its storage from AllocateStorage, so running out of memory is the
// fatal run-time error 0 rather than an exception.
template <class T>
struct StorageAllocator {
    using value_type = T;
    StorageAllocator() noexcept = default;
    template <class U>
    StorageAllocator(const StorageAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(AllocateStorage(n * sizeof(T))); }
    void deallocate(T* p, std::size_t) noexcept { ReleaseStorage(p); }
    template <class U>
    bool operator==(const StorageAllocator<U>&) const noexcept { return true; }
    template <class U>
    bool operator!=(const StorageAllocator<U>&) const noexcept { return false; }
};

class TextArray {
public:
    int Count() const noexcept { return int(items_.size()); }
    const Text& At(int index) const;  // 1-based; fatal outside 1..Count()
    void Set(int index, Text value);  // 1-based; fatal outside 1..Count()
    void Append(const Text& value) { items_.push_back(value); }
    void Append(Text&& value) { items_.push_back(std::move(value)); }
    void Clear() noexcept { items_.clear(); }

private:
    std::vector<Text, StorageAllocator<Text>> items_;
};

}  // namespace velmora
