#pragma once

#include <cstdint>
#include <vector>

// Counts fit 32 bits: they never exceed the number of cases.

namespace kw {

// Binary indexed tree of counts over positions 0..n-1.
class Fenwick {
public:
    explicit Fenwick(std::size_t n) : tree_(n + 1, 0) {}

    std::size_t size() const { return tree_.size() - 1; }

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
        std::size_t mask = 1;
        while (mask * 2 < tree_.size()) {
            mask *= 2;
        }
        for (; mask > 0; mask /= 2) {
            std::size_t next = pos + mask;
            if (next < tree_.size() && tree_[next] < k) {
                pos = next;
                k -= tree_[next];
            }
        }
        return pos;
    }

    // A tree in which every position counts 1.
    static Fenwick ones(std::size_t n) {
        Fenwick f(n);
        for (std::size_t i = 1; i <= n; ++i) {
            f.tree_[i] += 1;
            std::size_t parent = i + (i & (~i + 1));
            if (parent <= n) {
                f.tree_[parent] += f.tree_[i];
            }
        }
        return f;
    }

private:
    std::vector<std::int32_t> tree_;
};

} // namespace kw
