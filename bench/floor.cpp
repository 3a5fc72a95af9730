// The least work any correct Kruskal-Wallis test needs, as a yardstick: read the file,
// parse the group codes and the numbers, one sort of (value, group) pairs, mean ranks, H.
// Usage: kwfloor FILE   (first column: group, second: value; first line: names)

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kwfloor FILE\n");
        return 2;
    }
    std::FILE* f = std::fopen(argv[1], "rb");
    if (f == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    std::string text;
    char buf[1 << 16];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) {
        text.append(buf, n);
    }
    std::fclose(f);

    // Group codes become small numbers; values are parsed once.
    std::unordered_map<std::string, int> codes;
    std::vector<std::pair<double, int>> pairs;
    const char* p = text.data();
    const char* end = p + text.size();
    p = std::find(p, end, '\n') + 1; // the names
    while (p < end) {
        while (p < end && *p == ' ') {
            ++p;
        }
        const char* g = p;
        while (p < end && *p != ' ') {
            ++p;
        }
        if (p >= end) {
            break;
        }
        auto [it, added] = codes.try_emplace(std::string(g, p), static_cast<int>(codes.size()));
        while (p < end && *p == ' ') {
            ++p;
        }
        double v = 0;
        p = std::from_chars(p, end, v).ptr;
        pairs.emplace_back(v, it->second);
        p = std::find(p, end, '\n') + 1;
    }

    std::sort(pairs.begin(), pairs.end());
    const std::size_t n = pairs.size();
    std::vector<double> rankSum(codes.size(), 0);
    std::vector<double> count(codes.size(), 0);
    double ties = 0;
    for (std::size_t i = 0; i < n;) {
        std::size_t j = i + 1;
        while (j < n && pairs[j].first == pairs[i].first) {
            ++j;
        }
        const double rank = (static_cast<double>(i) + 1 + static_cast<double>(j)) / 2;
        const double t = static_cast<double>(j - i);
        ties += t * t * t - t;
        for (std::size_t q = i; q < j; ++q) {
            rankSum[static_cast<std::size_t>(pairs[q].second)] += rank;
            count[static_cast<std::size_t>(pairs[q].second)] += 1;
        }
        i = j;
    }
    const double nn = static_cast<double>(n);
    double h = 0;
    for (std::size_t g = 0; g < codes.size(); ++g) {
        h += rankSum[g] * rankSum[g] / count[g];
    }
    h = 12 / (nn * (nn + 1)) * h - 3 * (nn + 1);
    h /= 1 - ties / (nn * nn * nn - nn);
    std::printf("H = %.6f, df = %zu, N = %zu\n", h, codes.size() - 1, n);
    return 0;
}
