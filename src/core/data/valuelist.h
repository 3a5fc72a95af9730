#pragma once

#include "core/base/locale.h"
#include "core/data/datatable.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kw {

// The values of variable `col` for the selection's value chooser: its distinct texts sorted
// by the collation, texts that compare equal shown once, as the one met first.
std::vector<std::string> valueList(const DataTable& table, int col, const Collation& collation);

// The distinct texts of texts[0..n) (in the order met), sorted by `coll`; texts that compare
// equal count as one, shown as the one met first. Returns indexes into `texts`.
template <class Texts>
std::vector<std::size_t> distinctSorted(const Texts& texts, std::size_t n, const Collation& coll) {
    // Byte-equal texts first, keeping the first index of each; then the collation order, the
    // first met leading every run of texts that compare equal.
    std::unordered_map<std::string_view, std::size_t> first;
    first.reserve(n);
    std::vector<std::size_t> distinct;
    for (std::size_t i = 0; i < n; ++i) {
        if (first.emplace(std::string_view(texts[i]), i).second) {
            distinct.push_back(i);
        }
    }
    std::sort(distinct.begin(), distinct.end(), [&](std::size_t a, std::size_t b) {
        const int c = coll.compare(texts[a], texts[b]);
        return c != 0 ? c < 0 : a < b;
    });
    std::vector<std::size_t> out;
    out.reserve(distinct.size());
    for (std::size_t i : distinct) {
        if (out.empty() || coll.compare(texts[out.back()], texts[i]) != 0) {
            out.push_back(i);
        }
    }
    return out;
}

} // namespace kw
