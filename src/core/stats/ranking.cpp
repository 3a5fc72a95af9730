#include "core/stats/ranking.h"

#include "core/base/numbers.h"
#include "core/base/parallel.h"
#include "core/base/radixsort.h"
#include "core/base/releasablearray.h"
#include "core/base/textindex.h"
#include "core/stats/grouping.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <numeric>
#include <utility>

namespace kw {

std::string_view firstNonNumber(const GroupedCases& a) {
    for (std::size_t i = 0; i < a.cases.size(); ++i) {
        if (!parseReal(a.testText(i), a.decimal)) {
            return a.testText(i);
        }
    }
    return {};
}

namespace {

__extension__ typedef unsigned __int128 wide;
__extension__ typedef __int128 swide;

long double toLongDouble(swide v) {
    // Split so that no precision is lost in the conversion of the upper part.
    const bool negative = v < 0;
    const wide u = negative ? wide(-v) : wide(v);
    const auto hi = static_cast<long double>(static_cast<std::uint64_t>(u >> 64));
    const auto lo = static_cast<long double>(static_cast<std::uint64_t>(u));
    const long double r = hi * 18446744073709551616.0L + lo;
    return negative ? -r : r;
}

constexpr std::uint32_t none = noGroup;

// The runs of equal values, in ascending order, handed over one at a time: each distinct
// spelling (byte-wise text) of the value with its counts per group. Both ways of ranking
// below produce them; this turns them into ranks, sums, medians and the rows of the counts.
class Runs {
public:
    // With `spellingRows`, the row of each spelling is kept for the rows of the counts.
    Runs(GroupedCases& a, std::size_t n, bool spellingRows)
        : a_(a), n_(n), k_(std::size_t(a.groupCount())), spellingRows_(spellingRows) {
        twiceSum_.assign(k_, 0);
        squares4_.assign(k_, 0);
        seen_.assign(k_, 0);
        lo_.assign(k_, 0);
        hi_.assign(k_, 0);
        a.distinctValues.clear();
        a.twiceRank.clear();
        a.spellingValue.clear();
    }

    // Room for this many values and spellings (pages are only used as they are written).
    void reserve(std::size_t values) {
        a_.distinctValues.reserve(values);
        a_.twiceRank.reserve(values);
        a_.spellingValue.reserve(values);
        spellRow.reserve(spellingRows_ ? values : 0);
        countStart.reserve(values + 1);
        countGroup.reserve(values);
        countNumber.reserve(values);
    }

    // A new value held by `count` cases.
    void value(double v, std::uint64_t count) {
        value_ = v;
        twice_ = 2 * position_ + count + 1; // positions position+1 .. position+count
        position_ += count;
        a_.distinctValues.push_back(v);
        a_.twiceRank.push_back(twice_);
    }

    // `count` cases of group g hold the current value.
    void cases(std::uint32_t g, std::uint64_t count) {
        twiceSum_[g] += twice_ * count;
        squares4_[g] += wide(twice_) * twice_ * count;
        const std::uint64_t before = seen_[g];
        seen_[g] += count;
        const std::uint64_t size = a_.groupSize(int(g));
        if (before < (size + 1) / 2 && (size + 1) / 2 <= seen_[g]) {
            lo_[g] = value_;
        }
        if (before < size / 2 + 1 && size / 2 + 1 <= seen_[g]) {
            hi_[g] = value_;
        }
        if (countGroup.size() > countStart.back() && countGroup.back() == g) {
            countNumber.back() += static_cast<std::uint32_t>(count);
        } else {
            countGroup.push_back(g);
            countNumber.push_back(static_cast<std::uint32_t>(count));
            sorted_ = sorted_ && (countGroup.size() == countStart.back() + 1 ||
                                  countGroup[countGroup.size() - 2] < g);
        }
    }

    // A spelling of the current value begins: a row (before the sort) that holds it; its
    // counts follow through cases().
    void spelling(std::uint32_t row) {
        if (!a_.spellingValue.empty()) {
            closeSpelling();
        }
        if (spellingRows_) {
            spellRow.push_back(row);
        }
        a_.spellingValue.push_back(static_cast<std::uint32_t>(a_.distinctValues.size() - 1));
    }

    // The sums and medians, and each spelling's counts by group, into the cases.
    void finish() {
        closeSpelling();
        a_.countStart = std::move(countStart);
        a_.countGroup = std::move(countGroup);
        a_.countNumber = std::move(countNumber);
        a_.rankSum.assign(k_, 0);
        a_.median.assign(k_, 0);
        a_.rankSumText.assign(k_, {});
        a_.medianText.assign(k_, {});
        wide sumSquares4 = 0;
        long double groupTerms = 0;
        long double withinTerms = 0;
        for (std::size_t g = 0; g < k_; ++g) {
            const std::uint32_t size = a_.groupSize(int(g));
            sumSquares4 += squares4_[g];
            a_.rankSum[g] = static_cast<double>(twiceSum_[g]) / 2;
            a_.median[g] = size % 2 == 1 ? static_cast<double>(lo_[g])
                                         : static_cast<double>((lo_[g] + hi_[g]) / 2);
            a_.rankSumText[g] = formatGeneral(a_.rankSum[g], 15, a_.decimal);
            a_.medianText[g] = formatGeneral(a_.median[g], 15, a_.decimal);
            // SG - C summed without cancellation: n_g (mean rank_g - (N + 1) / 2)^2.
            const swide dev = swide(twiceSum_[g]) - swide(size) * swide(n_ + 1);
            groupTerms += toLongDouble(dev * dev) / (4.0L * size);
            // n_g (sum of squares) - R_g^2 over n_g, from twice the ranks: exact numerators.
            const swide spread =
                swide(squares4_[g]) * swide(size) - swide(twiceSum_[g]) * swide(twiceSum_[g]);
            withinTerms += toLongDouble(spread) / (4.0L * size);
        }
        const swide c4 = swide(n_) * swide(n_ + 1) * swide(n_ + 1);
        a_.sumSquaresMinusC = toLongDouble(swide(sumSquares4) - c4) / 4;
        a_.sumGroupsMinusC = groupTerms;
        a_.withinGroups = withinTerms;
        a_.ranked = true;
    }

    // The spellings: a row holding each, and their counts per group until finish() hands
    // them to the cases.
    std::vector<std::uint32_t> spellRow;
    std::vector<std::uint32_t> countStart{0};
    std::vector<std::uint32_t> countGroup;
    std::vector<std::uint32_t> countNumber;

private:
    // The counts of a spelling by group, each group once: cases met in row order come in
    // any group order.
    void closeSpelling() {
        const std::size_t from = countStart.back();
        if (!sorted_) {
            entries_.clear();
            auto& entries = entries_;
            for (std::size_t e = from; e < countGroup.size(); ++e) {
                entries.emplace_back(countGroup[e], countNumber[e]);
            }
            std::sort(entries.begin(), entries.end());
            countGroup.resize(from);
            countNumber.resize(from);
            for (const auto& [g, c] : entries) {
                if (countGroup.size() > from && countGroup.back() == g) {
                    countNumber.back() += c;
                } else {
                    countGroup.push_back(g);
                    countNumber.push_back(c);
                }
            }
        }
        sorted_ = true;
        countStart.push_back(static_cast<std::uint32_t>(countGroup.size()));
    }

    GroupedCases& a_;
    bool sorted_ = true;
    std::uint64_t n_;
    std::size_t k_;
    bool spellingRows_;
    double value_ = 0;
    std::uint64_t twice_ = 0;
    std::uint64_t position_ = 0;
    std::vector<std::uint64_t> twiceSum_;
    std::vector<wide> squares4_;
    std::vector<std::uint64_t> seen_;
    std::vector<long double> lo_;
    std::vector<long double> hi_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> entries_; // closeSpelling's scratch
};

enum class Ranked { yes, tooManyTexts, notANumber };

// Ranking by distinct texts, for data with many ties: the texts of the included rows are
// numbered in row order, each distinct text is parsed once, and a table of counts per text
// and group replaces the sort of the cases. Gives up, having done nothing, when there are too
// many distinct texts for it to pay.
Ranked rankByTexts(GroupedCases& a, const std::vector<std::uint32_t>& groupOfRow, Runs& runs,
                   bool always) {
    const std::size_t rowCount = groupOfRow.size();
    const std::size_t n = a.groupStart.back();
    const std::size_t k = static_cast<std::size_t>(a.groupCount());
    // The table of texts must stay about the size of the cache to beat sorting.
    const std::size_t maxTexts =
        always ? n + 1 : std::min<std::size_t>(n / 4 + 1024, std::size_t{1} << 17);

    std::vector<std::uint32_t> textId(rowCount, none);
    std::vector<TextIndex> parts(workers());
    std::vector<std::vector<std::uint32_t>> firstRows(parts.size());
    std::vector<std::size_t> sliceFrom(parts.size() + 1, rowCount);
    std::atomic<bool> toomany = false;
    parallelSlices(rowCount, [&](unsigned part, std::size_t from, std::size_t to) {
        sliceFrom[part] = from;
        TextIndex& index = parts[part];
        std::vector<std::uint32_t> seen; // how often each text was met, up to the probe
        // After an eighth of the rows, estimate how many distinct texts there are in all from
        // those met once and twice so far (Chao's estimate), and give up if too many.
        const std::size_t probe = always ? to : from + (to - from) / 8;
        for (std::size_t row = from; row < to; ++row) {
            if ((row & 4095) == 0 && toomany.load(std::memory_order_relaxed)) {
                return;
            }
            if (row == probe && probe - from > 1000) {
                double once = 0;
                double twice = 0;
                for (std::uint32_t c : seen) {
                    once += c == 1 ? 1 : 0;
                    twice += c == 2 ? 1 : 0;
                }
                const double estimate =
                    static_cast<double>(index.size()) + once * once / (2 * std::max(twice, 1.0));
                if (estimate > static_cast<double>(maxTexts)) {
                    toomany = true;
                    return;
                }
                seen = {};
            }
            if (row + TextIndex::prefetchAhead < to && index.large()) {
                index.prefetch(a.testColumn[row + TextIndex::prefetchAhead]);
            }
            if (groupOfRow[row] == none) {
                continue;
            }
            const std::uint32_t id = index.insert(a.testColumn[row]);
            if (id == firstRows[part].size()) {
                firstRows[part].push_back(static_cast<std::uint32_t>(row));
                if (id >= maxTexts) {
                    toomany = true;
                    return;
                }
                if (row < probe) {
                    seen.push_back(0);
                }
            }
            if (row < probe) {
                ++seen[id];
            }
            textId[row] = id;
        }
    });
    if (toomany) {
        return Ranked::tooManyTexts;
    }
    TextIndex all = std::move(parts[0]);
    std::vector<std::uint32_t> firstrow = std::move(firstRows[0]);
    for (std::size_t part = 1; part < parts.size() && sliceFrom[part] < rowCount; ++part) {
        std::vector<std::uint32_t> global(parts[part].size());
        for (std::uint32_t id = 0; id < parts[part].size(); ++id) {
            global[id] = all.insert(parts[part].text(id));
            if (global[id] == firstrow.size()) {
                firstrow.push_back(firstRows[part][id]);
            }
        }
        for (std::size_t row = sliceFrom[part]; row < sliceFrom[part + 1]; ++row) {
            if (textId[row] != none) {
                textId[row] = global[textId[row]];
            }
        }
    }
    if (all.size() > maxTexts) {
        return Ranked::tooManyTexts;
    }

    const std::size_t d = all.size();
    std::vector<double> value(d);
    for (std::uint32_t id = 0; id < d; ++id) {
        const auto v = parseReal(all.text(id), a.decimal);
        if (!v) {
            return Ranked::notANumber;
        }
        value[id] = *v;
    }
    // The counts per text and group: a table when it is small, otherwise the groups of each
    // text's rows, bucketed by text.
    const bool table = d * k <= std::max<std::size_t>(std::size_t{1} << 22, 2 * n);
    std::vector<std::uint32_t> count;
    std::vector<std::uint32_t> idstart;
    std::vector<std::uint32_t> idgroups;
    if (table) {
        count.assign(d * k, 0);
        for (std::size_t row = 0; row < rowCount; ++row) {
            if (groupOfRow[row] != none) {
                ++count[std::size_t(textId[row]) * k + groupOfRow[row]];
            }
        }
    } else {
        idstart.assign(d + 1, 0);
        for (std::size_t row = 0; row < rowCount; ++row) {
            if (groupOfRow[row] != none) {
                ++idstart[textId[row] + 1];
            }
        }
        std::partial_sum(idstart.begin(), idstart.end(), idstart.begin());
        idgroups.resize(n);
        std::vector<std::uint32_t> next(idstart.begin(), idstart.end() - 1);
        for (std::size_t row = 0; row < rowCount; ++row) {
            if (groupOfRow[row] != none) {
                idgroups[next[textId[row]]++] = groupOfRow[row];
            }
        }
    }
    auto cases = [&](std::uint32_t id) -> std::uint64_t {
        if (!table) {
            return idstart[id + 1] - idstart[id];
        }
        std::uint64_t total = 0;
        for (std::size_t g = 0; g < k; ++g) {
            total += count[std::size_t(id) * k + g];
        }
        return total;
    };

    runs.reserve(d);
    std::vector<std::uint32_t> byvalue(d);
    std::iota(byvalue.begin(), byvalue.end(), 0u);
    std::sort(byvalue.begin(), byvalue.end(), [&](std::uint32_t x, std::uint32_t y) {
        return value[x] < value[y] || (!(value[y] < value[x]) && x < y);
    });
    for (std::size_t i = 0; i < d;) {
        std::size_t j = i;
        std::uint64_t total = 0;
        for (; j < d && !(value[byvalue[i]] < value[byvalue[j]]); ++j) {
            total += cases(byvalue[j]);
        }
        runs.value(value[byvalue[i]], total);
        for (std::size_t q = i; q < j; ++q) {
            const std::uint32_t id = byvalue[q];
            runs.spelling(firstrow[id]);
            if (table) {
                for (std::size_t g = 0; g < k; ++g) {
                    if (const std::uint32_t c = count[std::size_t(id) * k + g]; c > 0) {
                        runs.cases(static_cast<std::uint32_t>(g), c);
                    }
                }
            } else {
                auto first = idgroups.begin() + idstart[id];
                auto last = idgroups.begin() + idstart[id + 1];
                std::sort(first, last);
                for (auto it = first; it != last;) {
                    auto end = std::find_if(it, last, [&](std::uint32_t g) { return g != *it; });
                    runs.cases(*it, static_cast<std::uint64_t>(end - it));
                    it = end;
                }
            }
        }
        i = j;
    }
    return Ranked::yes;
}

// One included row for the ranking by sorting: its value, its row, and its group with, in
// the top bits, the shape of its text taken while the text is at hand (plain decimals: 1 +
// their number of decimals; anything else 0), so that the texts of a value need not be
// fetched again to be told apart when all of them are plain with as many decimals.
struct Item {
    double value;
    std::uint32_t row;
    std::uint32_t group;
};

constexpr int shapeShift = 27;
constexpr std::uint32_t shapeGroupLimit = 1u << shapeShift;

struct ByValue {
    bool operator()(const Item& x, const Item& y) const {
        return x.value < y.value || (!(y.value < x.value) && x.row < y.row);
    }
};

// Ranking by sorting the cases, for data with few ties.
Ranked rankBySorting(GroupedCases& a, std::vector<std::uint32_t>& groupOfRow, Runs& runs,
                     Feedback* feedback) {
    const std::size_t rowCount = groupOfRow.size();
    StageTimers stages(feedback);
    stages.next("    parse values");
    // Every item is written before it is read: no need to clear them first.
    const std::size_t itemCount = a.groupStart.back();
    // The runs of values grow as the items are read, which go back to the system behind.
    ReleasableArray<Item> items(itemCount);
    // Each worker parses a slice of the rows into its part of the items, in row order.
    const unsigned parts = workers();
    std::vector<std::size_t> itemFrom(parts + 1, 0);
    parallelSlices(rowCount, [&](unsigned part, std::size_t from, std::size_t to) {
        std::size_t c = 0;
        for (std::size_t row = from; row < to; ++row) {
            c += groupOfRow[row] != none ? 1 : 0;
        }
        itemFrom[part + 1] = c;
    });
    std::partial_sum(itemFrom.begin(), itemFrom.end(), itemFrom.begin());
    std::vector<char> bad(parts, 0);
    // With more groups than the spare bits allow (never in practice), no shapes are kept and
    // every tied value's texts are compared.
    const bool shapes = std::uint32_t(a.groupCount()) < shapeGroupLimit;
    const std::uint32_t groupMask = shapes ? shapeGroupLimit - 1 : ~std::uint32_t{0};
    parallelSlices(rowCount, [&](unsigned part, std::size_t from, std::size_t to) {
        std::size_t at = itemFrom[part];
        for (std::size_t row = from; row < to; ++row) {
            if (groupOfRow[row] == none) {
                continue;
            }
            int plain = notPlain;
            const std::string_view text = a.testColumn[row];
            const auto v = parseReal(text, a.decimal, &plain);
            if (!v) {
                bad[part] = 1;
                return;
            }
            const auto shape = static_cast<std::uint32_t>(shapes ? plain + 1 : 0);
            items[at++] =
                Item{*v, static_cast<std::uint32_t>(row), groupOfRow[row] | shape << shapeShift};
        }
    });
    if (std::find(bad.begin(), bad.end(), 1) != bad.end()) {
        return Ranked::notANumber;
    }
    groupOfRow = {}; // the items hold the groups now

    Pacer(feedback, "ranking", 1).check(0);
    stages.next("    sort values");
    radixSort(
        items.data(), itemCount, [](const Item& item) { return orderedBits(item.value); },
        ByValue{});
    stages.next("    runs of values");
    runs.reserve(itemCount);

    const std::size_t n = itemCount;
    std::vector<std::string_view> seen;
    std::vector<std::uint32_t> which; // the spelling of each case of a value
    for (std::size_t i = 0; i < n;) {
        items.releaseBefore(i);
        std::size_t j = i + 1;
        const std::uint32_t shape = items[i].group & ~groupMask;
        bool sameShape = shape != 0;
        while (j < n && !(items[i].value < items[j].value)) {
            sameShape = sameShape && (items[j].group & ~groupMask) == shape;
            ++j;
        }
        runs.value(items[i].value, j - i);
        if (sameShape || j - i == 1) {
            // Plain texts of one value with as many decimals are all the same text, and a
            // value held once has one spelling: its text, which lies anywhere, need not be
            // fetched.
            runs.spelling(items[i].row);
            for (std::size_t q = i; q < j; ++q) {
                runs.cases(items[q].group & groupMask, 1);
            }
        } else {
            // Other spellings (1.50 beside 1.5) are looked up and told apart byte by byte.
            seen.clear();
            which.clear();
            for (std::size_t q = i; q < j; ++q) {
                const std::string_view t = a.testColumn[items[q].row];
                const auto s = static_cast<std::uint32_t>(std::find(seen.begin(), seen.end(), t) -
                                                          seen.begin());
                if (s == seen.size()) {
                    seen.push_back(t);
                }
                which.push_back(s);
            }
            for (std::uint32_t s = 0; s < seen.size(); ++s) {
                const auto first = std::find(which.begin(), which.end(), s) - which.begin();
                runs.spelling(items[i + std::size_t(first)].row);
                for (std::size_t q = std::size_t(first); q < which.size(); ++q) {
                    if (which[q] == s) {
                        runs.cases(items[i + q].group & groupMask, 1);
                    }
                }
            }
        }
        i = j;
    }
    return Ranked::yes;
}

// The first case, in group order, whose test text is one of `texts` (as many as given).
std::vector<std::uint32_t> firstCases(const GroupedCases& a,
                                      const std::vector<std::string_view>& texts) {
    std::vector<std::uint32_t> first(texts.size(), none);
    std::size_t found = 0;
    for (std::size_t i = 0; i < a.cases.size() && found < texts.size(); ++i) {
        const std::string_view t = a.testText(i);
        for (std::size_t s = 0; s < texts.size(); ++s) {
            if (first[s] == none && texts[s] == t) {
                first[s] = static_cast<std::uint32_t>(i);
                ++found;
            }
        }
    }
    return first;
}

// The counts grid: the spellings in collation order; among texts that compare equal the
// first met (in group order) leads and stands for all, counting only the cases that hold
// exactly its text.
std::vector<TiedCountRow> countRows(GroupedCases& a, Runs& runs, const Collation& collation) {
    const std::size_t d = runs.spellRow.size();
    // The texts and their order keys, fetched in one tight loop: the rows lie anywhere.
    std::vector<std::string_view> texts(d);
    // Where the collation allows, the next 8 bytes too: numbers written with decimals share
    // their first 8 bytes with others often, and a full comparison costs a call each.
    const bool chained = collation.prefixesChain();
    struct Key {
        std::uint64_t prefix;
        std::uint64_t next;
        std::uint32_t spelling;
    };
    std::vector<Key> keys(d);
    parallelSlices(d, [&](unsigned, std::size_t from, std::size_t to) {
        for (std::size_t j = from; j < to; ++j) {
            if (j + 16 < to) {
                a.testColumn.prefetchRef(runs.spellRow[j + 16]);
            }
            if (j + 8 < to) {
                a.testColumn.prefetchText(runs.spellRow[j + 8]);
            }
            texts[j] = a.testColumn[runs.spellRow[j]];
            const std::uint64_t next =
                chained && texts[j].size() > 8 ? collation.sortPrefix(texts[j].substr(8)) : 0;
            keys[j] = Key{collation.sortPrefix(texts[j]), next, static_cast<std::uint32_t>(j)};
        }
    });
    // A collation without prefixes of its own (the user's locale in the window) orders the
    // texts of numbers, made of a few ASCII bytes, byte by byte in every usual locale: then
    // prefixes are made from the ranks it gives those bytes, and a full comparison is needed
    // only where 16 bytes tie.
    if (!chained && d > 1) {
        std::vector<std::array<bool, 256>> seen(workers(), std::array<bool, 256>{});
        parallelSlices(d, [&](unsigned part, std::size_t from, std::size_t to) {
            for (std::size_t j = from; j < to; ++j) {
                for (char c : texts[j]) {
                    seen[part][static_cast<unsigned char>(c)] = true;
                }
            }
        });
        std::string alphabet;
        for (int b = 0; b < 256; ++b) {
            if (std::any_of(seen.begin(), seen.end(), [&](const auto& s) { return s[b]; })) {
                alphabet.push_back(static_cast<char>(b));
            }
        }
        if (const std::optional<ByteRanks> ranks = byteRanks(collation, alphabet)) {
            parallelSlices(d, [&](unsigned, std::size_t from, std::size_t to) {
                for (std::size_t j = from; j < to; ++j) {
                    keys[j].prefix = rankedPrefix(*ranks, texts[j], 0);
                    keys[j].next = rankedPrefix(*ranks, texts[j], 8);
                }
            });
        }
    }
    auto text = [&](std::uint32_t j) { return texts[j]; };
    auto before = [&](const Key& x, const Key& y) {
        if (x.prefix != y.prefix) {
            return x.prefix < y.prefix;
        }
        if (x.next != y.next) {
            return x.next < y.next;
        }
        const int c = collation.compare(text(x.spelling), text(y.spelling));
        return c != 0 ? c < 0 : x.spelling < y.spelling;
    };
    // The spellings come in value order, and numbers of one sign and one count of integer
    // digits are in text order already: when the keys fall into a few ascending runs, merging
    // them beats sorting.
    std::vector<std::size_t> runStart{0};
    for (std::size_t j = 1; j < d && runStart.size() <= 64; ++j) {
        if (before(keys[j], keys[j - 1])) {
            runStart.push_back(j);
        }
    }
    if (runStart.size() <= 64) {
        runStart.push_back(d);
        while (runStart.size() > 2) {
            std::vector<std::size_t> merged{0};
            for (std::size_t r = 0; r + 1 < runStart.size(); r += 2) {
                const std::size_t last =
                    r + 2 < runStart.size() ? runStart[r + 2] : runStart[r + 1];
                std::inplace_merge(keys.begin() + std::ptrdiff_t(runStart[r]),
                                   keys.begin() + std::ptrdiff_t(runStart[r + 1]),
                                   keys.begin() + std::ptrdiff_t(last), before);
                merged.push_back(last);
            }
            runStart = std::move(merged);
        }
    } else {
        parallelSort(keys.begin(), keys.end(), before);
    }
    std::vector<TiedCountRow> tiedRows;
    a.countText.clear();
    a.countText.reserve(d);
    a.countOrder.clear();
    a.countOrder.reserve(d);
    auto equal = [&](std::size_t p, std::size_t q) {
        return keys[p].prefix == keys[q].prefix && keys[p].next == keys[q].next &&
               collation.compare(text(keys[p].spelling), text(keys[q].spelling)) == 0;
    };
    for (std::size_t p = 0; p < d;) {
        std::size_t q = p + 1;
        while (q < d && equal(p, q)) {
            ++q;
        }
        const std::uint32_t lead = keys[p].spelling;
        if (q - p > 1) {
            // Texts that differ only where the collation does not look: the one met first
            // will lead.
            TiedCountRow tied{a.countText.size(), {}, {}};
            for (std::size_t r = p; r < q; ++r) {
                tied.spellings.push_back(keys[r].spelling);
                tied.texts.push_back(text(keys[r].spelling));
            }
            tiedRows.push_back(std::move(tied));
        }
        a.countText.push_back(text(lead));
        a.countOrder.push_back(lead);
        p = q;
    }
    return tiedRows;
}

} // namespace

Ranking rankCases(GroupedCases& a, std::vector<std::uint32_t> groupOfRow,
                  const Collation& collation, RankingMethod method, bool wantCountRows,
                  Feedback* feedback) {
    Pacer(feedback, "ranking", 1).check(0);
    Runs runs(a, a.groupStart.back(), wantCountRows);
    StageTimers stages(feedback);
    Ranked ranked = Ranked::tooManyTexts;
    if (method != RankingMethod::bySorting) {
        stages.next("  rank by texts");
        ranked = rankByTexts(a, groupOfRow, runs, method == RankingMethod::byDistinctTexts);
    }
    if (ranked == Ranked::tooManyTexts) {
        stages.next("  rank by sorting");
        ranked = rankBySorting(a, groupOfRow, runs, feedback);
    }
    if (ranked == Ranked::notANumber) {
        return Ranking{false, {}};
    }
    runs.finish();
    if (!wantCountRows) {
        a.countText.clear();
        a.countOrder.clear();
        return Ranking{true, {}};
    }
    Pacer(feedback, "counting values", 1).check(0);
    stages.next("  count rows");
    return Ranking{true, countRows(a, runs, collation)};
}

void chooseCountLeads(GroupedCases& a, const std::vector<TiedCountRow>& tiedRows) {
    for (const TiedCountRow& tied : tiedRows) {
        const std::vector<std::uint32_t> first = firstCases(a, tied.texts);
        const auto best =
            static_cast<std::size_t>(std::min_element(first.begin(), first.end()) - first.begin());
        a.countText[tied.row] = tied.texts[best];
        a.countOrder[tied.row] = tied.spellings[best];
    }
}

} // namespace kw
