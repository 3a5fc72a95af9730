#pragma once

#include <cstdint>
#include <vector>

namespace kw {

// Binary indexed tree of counts over positions 0..n-1. Counts fit 32 bits: they never exceed
// the number of cases. The tree is padded to a power of two so that its descents need no
// bound checks, and they choose their way without branches: the comparisons they make are as
// good as random.
class Fenwick {
public:
    explicit Fenwick(std::size_t n) : size_(n) {
        std::size_t capacity = 1;
        while (capacity < n) {
            capacity *= 2;
        }
        tree_.assign(capacity + 1, 0);
    }

    std::size_t size() const { return size_; }

    void add(std::size_t pos, std::int32_t delta) {
        for (std::size_t i = pos + 1; i < tree_.size(); i += i & (~i + 1)) {
            tree_[i] += delta;
        }
    }

    // Sum over positions 0..pos-1.
    std::int32_t prefix(std::size_t pos) const {
        std::int32_t s = 0;
        for (std::size_t i = pos; i > 0; i -= i & (~i + 1)) {
            s += tree_[i];
        }
        return s;
    }

    // Sum over positions first..last-1.
    std::int32_t range(std::size_t first, std::size_t last) const {
        return last > first ? prefix(last) - prefix(first) : 0;
    }

    // Smallest position whose prefix sum up to and including it reaches k (k >= 1), for
    // non-negative counts.
    std::size_t kth(std::int32_t k) const {
        std::size_t pos = 0;
        for (std::size_t mask = (tree_.size() - 1); mask > 0; mask /= 2) {
            const std::int32_t t = tree_[pos + mask];
            const bool right = t < k;
            pos += right ? mask : 0;
            k -= right ? t : 0;
        }
        return pos;
    }

    // kth, taking 1 off the count found, in one descent (the nodes passed on the left of the
    // position are the ones that count it); with `within`, also what is left of k there.
    std::size_t takeKth(std::int32_t k, std::int32_t* within = nullptr) {
        std::size_t pos = 0;
        for (std::size_t mask = (tree_.size() - 1); mask > 0; mask /= 2) {
            std::int32_t& t = tree_[pos + mask];
            const bool right = t < k;
            k -= right ? t : 0;
            t -= right ? 0 : 1;
            pos += right ? mask : 0;
        }
        if (within != nullptr) {
            *within = k;
        }
        return pos;
    }

    // A tree in which every position counts 1 (and the padding 0).
    static Fenwick ones(std::size_t n) {
        Fenwick f(n);
        for (std::size_t i = 1; i < f.tree_.size(); ++i) {
            f.tree_[i] += i <= n ? 1 : 0;
            const std::size_t parent = i + (i & (~i + 1));
            if (parent < f.tree_.size()) {
                f.tree_[parent] += f.tree_[i];
            }
        }
        return f;
    }

private:
    std::size_t size_;
    std::vector<std::int32_t> tree_;
};

} // namespace kw
