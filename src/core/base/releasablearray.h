#pragma once

#include <cstddef>
#include <new>
#include <type_traits>

#if !defined(_WIN32)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace kw {

// An array of n items, not initialised, whose front can be handed back to the system while the
// rest is in use: a pass that reads it once from the front and builds something as large
// meanwhile then needs little more than the larger of the two. Where pages cannot be handed
// back one by one (Windows), the front stays until the array goes.
template <class T> class ReleasableArray {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
    explicit ReleasableArray(std::size_t n) : bytes_(n * sizeof(T)) {
        if (n == 0) {
            return;
        }
#if defined(_WIN32)
        items_ = static_cast<T*>(::operator new(bytes_));
#else
        void* p = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) {
            throw std::bad_alloc();
        }
        items_ = static_cast<T*>(p);
#endif
    }
    ReleasableArray(const ReleasableArray&) = delete;
    ReleasableArray& operator=(const ReleasableArray&) = delete;
    ~ReleasableArray() {
        if (items_ == nullptr) {
            return;
        }
#if defined(_WIN32)
        ::operator delete(items_);
#else
        munmap(reinterpret_cast<char*>(items_) + released_, bytes_ - released_);
#endif
    }

    T* data() {
        return items_;
    }
    T& operator[](std::size_t i) {
        return items_[i];
    }
    const T& operator[](std::size_t i) const {
        return items_[i];
    }

    // Items [0, i) will not be used again: their whole pages go back to the system, a few
    // megabytes at a time. Nothing before i may be touched afterwards.
    void releaseBefore(std::size_t i) {
#if !defined(_WIN32)
        if (i < nextRelease_) {
            return;
        }
        static const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        const std::size_t upto = i * sizeof(T) / page * page;
        munmap(reinterpret_cast<char*>(items_) + released_, upto - released_);
        released_ = upto;
        nextRelease_ = (released_ + releaseStep) / sizeof(T) + 1;
#else
        (void)i;
#endif
    }

private:
    static constexpr std::size_t releaseStep = std::size_t{4} << 20;

    T* items_ = nullptr;
    std::size_t bytes_;
    std::size_t released_ = 0; // bytes at the front handed back, a whole number of pages
    std::size_t nextRelease_ = releaseStep / sizeof(T) + 1; // the item that asks for more
};

} // namespace kw
