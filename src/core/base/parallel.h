#pragma once

#include <algorithm>
#include <cstddef>
#include <exception>
#include <functional>
#include <thread>
#include <vector>

namespace kw {

// How many threads long loops use: the machine's cores, at most 8.
inline unsigned workers() {
    const unsigned n = std::thread::hardware_concurrency();
    return std::clamp(n, 1u, 8u);
}

// Runs fn(part, begin, end) on consecutive slices of [0, n), one per worker, and waits for
// all. The first exception thrown by any slice (lowest part first) is rethrown.
inline void parallelSlices(std::size_t n,
                           const std::function<void(unsigned, std::size_t, std::size_t)>& fn,
                           std::size_t minimum = 1 << 16) {
    const unsigned parts = n < minimum ? 1 : workers();
    if (parts == 1) {
        fn(0, 0, n);
        return;
    }
    std::vector<std::exception_ptr> errors(parts);
    std::vector<std::thread> threads;
    for (unsigned p = 1; p < parts; ++p) {
        threads.emplace_back([&, p] {
            try {
                fn(p, n * p / parts, n * (p + 1) / parts);
            } catch (...) {
                errors[p] = std::current_exception();
            }
        });
    }
    try {
        fn(0, 0, n / parts);
    } catch (...) {
        errors[0] = std::current_exception();
    }
    for (auto& t : threads) {
        t.join();
    }
    for (auto& e : errors) {
        if (e) {
            std::rethrow_exception(e);
        }
    }
}

// Sorts [first, last) with both (all) cores: one partition around the median of a sample,
// then the two sides at once. Needs no extra memory.
template <class It, class Less> void parallelSort(It first, It last, Less less) {
    const auto n = static_cast<std::size_t>(last - first);
    if (n < (1u << 15) || workers() < 2) {
        std::sort(first, last, less);
        return;
    }
    using T = typename std::iterator_traits<It>::value_type;
    std::vector<T> sample;
    const std::size_t step = n / 255;
    for (std::size_t i = 0; i < n; i += step) {
        sample.push_back(first[static_cast<std::ptrdiff_t>(i)]);
    }
    std::nth_element(sample.begin(),
                     sample.begin() + static_cast<std::ptrdiff_t>(sample.size() / 2), sample.end(),
                     less);
    const T pivot = sample[sample.size() / 2];
    It middle = std::partition(first, last, [&](const T& x) { return less(x, pivot); });
    if (middle == first || middle == last) {
        std::sort(first, last, less); // a sample of equal keys: no useful split
        return;
    }
    std::thread other([&] { std::sort(first, middle, less); });
    std::sort(middle, last, less);
    other.join();
}

} // namespace kw
