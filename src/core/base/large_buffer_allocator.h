// An allocator for large pixel buffers.
//
// Buffers of 2 MB and more are aligned to 2 MB and marked for transparent huge pages, so a
// freshly allocated camera-size picture takes a few hundred page faults instead of tens of
// thousands (on virtual machines each fault is expensive, and they dominated decoding).
// Smaller buffers use the ordinary heap.
#pragma once

#include <cstddef>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace fringel {

template <typename T> struct LargeBufferAllocator {
    using value_type = T;
    static constexpr std::size_t kHugePage = std::size_t{2} << 20;

    LargeBufferAllocator() = default;
    template <typename U> LargeBufferAllocator(const LargeBufferAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < kHugePage) return static_cast<T*>(::operator new(bytes));
        const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        void* p = ::operator new (rounded, std::align_val_t{kHugePage});
#if defined(__linux__) && defined(MADV_HUGEPAGE)
        madvise(p, rounded, MADV_HUGEPAGE);
#endif
        return static_cast<T*>(p);
    }

    void deallocate(T* p, std::size_t n) noexcept {
        if (n * sizeof(T) < kHugePage)
            ::operator delete(p);
        else
            ::operator delete (p, std::align_val_t{kHugePage});
    }

    template <typename U> bool operator==(const LargeBufferAllocator<U>&) const noexcept {
        return true;
    }
};

} // namespace fringel
