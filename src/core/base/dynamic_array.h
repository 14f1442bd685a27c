// DynamicArray<T>: the checked, reference-counted array that holds every array of a document.
//
// - Copies share their elements (a write through one copy is seen through all of them).
// - The length is set as a whole with setLength; elements that still fit keep their values,
//   new elements are value-initialised (zero for numbers, empty for nested arrays).
//   setLength on an array that shares its storage gives this copy storage of its own first,
//   so resizing one copy never changes the length seen through another.
// - Every index is checked: an index below 0 or not below the length raises
//   DynArrayOutOfRange carrying the index and the length.
// - data() gives the raw elements for kernels that have checked their bounds up front.
// - Large sample arrays pass an allocator for big buffers (base/large_buffer_allocator.h).
#pragma once

#include "base/errors.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace fringel {

template <typename T, typename Allocator = std::allocator<T>> class DynamicArray {
public:
    DynamicArray() = default;
    explicit DynamicArray(std::int64_t length) { setLength(length); }

    std::int64_t length() const { return store_ ? static_cast<std::int64_t>(store_->size()) : 0; }
    bool empty() const { return length() == 0; }

    void setLength(std::int64_t length) {
        if (length < 0) throw DynArrayOutOfRange(length, this->length());
        if (length == 0) {
            store_.reset();
            return;
        }
        if (!store_) {
            store_ = std::make_shared<std::vector<T, Allocator>>(static_cast<std::size_t>(length));
            return;
        }
        if (store_.use_count() > 1) {
            auto own =
                std::make_shared<std::vector<T, Allocator>>(static_cast<std::size_t>(length));
            const std::size_t keep = std::min(store_->size(), own->size());
            std::copy_n(store_->begin(), keep, own->begin());
            store_ = std::move(own);
            return;
        }
        store_->resize(static_cast<std::size_t>(length));
    }

    T& operator[](std::int64_t i) {
        check(i);
        return (*store_)[static_cast<std::size_t>(i)];
    }
    const T& operator[](std::int64_t i) const {
        check(i);
        return (*store_)[static_cast<std::size_t>(i)];
    }

    T* data() { return store_ ? store_->data() : nullptr; }
    const T* data() const { return store_ ? store_->data() : nullptr; }

    T* begin() { return data(); }
    T* end() { return data() + length(); }
    const T* begin() const { return data(); }
    const T* end() const { return data() + length(); }

    // True when both arrays are the same storage (copies of one another).
    bool sharesWith(const DynamicArray& other) const { return store_ && store_ == other.store_; }

private:
    void check(std::int64_t i) const {
        if (i < 0 || i >= length()) throw DynArrayOutOfRange(i, length());
    }

    std::shared_ptr<std::vector<T, Allocator>> store_;
};

} // namespace fringel
