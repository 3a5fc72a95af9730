#include "cli/json.h"

#include "core/results/detailsreport.h"

#include <array>
#include <charconv>
#include <cmath>

namespace kw::cli {

namespace {

// Length of the valid UTF-8 sequence at s[i], or 0.
std::size_t utf8Length(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    unsigned min = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > s.size()) {
        return 0;
    }
    unsigned cp = c & (0xFF >> (n + 1));
    for (std::size_t k = 1; k < n; ++k) {
        const auto d = static_cast<unsigned char>(s[i + k]);
        if ((d & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (d & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return n;
}

void escape(std::ostream& out, unsigned code) {
    static const char* hex = "0123456789abcdef";
    out << "\\u00" << hex[(code >> 4) & 15] << hex[code & 15];
}

} // namespace

void writeJsonString(std::ostream& out, std::string_view text) {
    out << '"';
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out << '\\' << static_cast<char>(c);
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            escape(out, c);
            ++i;
        } else if (c < 0x80) {
            out << static_cast<char>(c);
            ++i;
        } else if (std::size_t n = utf8Length(text, i); n > 0) {
            out << text.substr(i, n);
            i += n;
        } else {
            escape(out, c);
            ++i;
        }
    }
    out << '"';
}

void writeJsonGrid(std::ostream& out, const Grid& grid) {
    out << '[';
    for (int r = 0; r < grid.rowCount(); ++r) {
        out << (r > 0 ? ",\n  [" : "\n  [");
        for (int c = 0; c < grid.columnCount(); ++c) {
            if (c > 0) {
                out << ',';
            }
            writeJsonString(out, grid.cell(c, r));
        }
        out << ']';
    }
    out << (grid.rowCount() > 0 ? "\n ]" : "]");
}

void writeJsonNumber(std::ostream& out, double value) {
    if (!std::isfinite(value)) {
        out << "null";
        return;
    }
    std::array<char, 64> buf{};
    auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    out.write(buf.data(), res.ptr - buf.data());
}

namespace {

void writeInterval(std::ostream& out, const std::pair<double, double>& interval) {
    out << '[';
    writeJsonNumber(out, interval.first);
    out << ", ";
    writeJsonNumber(out, interval.second);
    out << ']';
}

// A field "name": number, after a comma unless it is the first.
void numberField(std::ostream& out, const char* name, double value, bool first = false) {
    out << (first ? "\"" : ", \"") << name << "\": ";
    writeJsonNumber(out, value);
}

void writeDetails(std::ostream& out, const Details& d) {
    out << ",\n \"descriptives\": [";
    for (std::size_t g = 0; g < d.groups.size(); ++g) {
        const GroupDescription& x = d.descriptives[g];
        out << (g > 0 ? ",\n  {" : "\n  {") << "\"group\": ";
        writeJsonString(out, d.groups[g]);
        out << ", \"n\": " << x.n;
        numberField(out, "median", x.median);
        numberField(out, "q1", x.q1);
        numberField(out, "q3", x.q3);
        numberField(out, "min", x.min);
        numberField(out, "max", x.max);
        numberField(out, "meanrank", x.meanRank);
        numberField(out, "ranksum", x.rankSum);
        out << '}';
    }
    out << "\n ]";

    const EffectSizes& e = d.effectSizes;
    out << ",\n \"effectsize\": {";
    numberField(out, "epsilon2", e.epsilonSquared, true);
    out << ", \"epsilon2_ci\": ";
    writeInterval(out, e.epsilonSquaredInterval);
    numberField(out, "eta2h", e.etaSquared);
    out << ", \"eta2h_ci\": ";
    writeInterval(out, e.etaSquaredInterval);
    out << ", \"resamples\": " << e.resamples << ", \"seed\": " << e.seed << '}';

    const PermutationP& p = d.pValue;
    out << ",\n \"pvalue_h\": {";
    numberField(out, "h", d.h, true);
    out << ", \"df\": " << d.df;
    numberField(out, "asymptotic", p.asymptotic);
    out << ", \"method\": \"" << (p.exact ? "exact" : "montecarlo") << '"';
    numberField(out, "p", p.p);
    if (!p.exact) {
        if (p.interval) {
            out << ", \"ci\": ";
            writeInterval(out, *p.interval);
        }
        out << ", \"resamples\": " << p.resamples << ", \"seed\": " << d.request.seed;
    }
    out << '}';

    const PairwiseComparisons& pw = d.pairwise;
    out << ",\n \"pairwise\": {\"method\": \"" << pairwiseMethodName(pw.method)
        << "\", \"adjust\": \"" << adjustmentName(pw.adjustment) << "\", \"control\": ";
    if (pw.control) {
        writeJsonString(out, d.groups[std::size_t(*pw.control)]);
    } else {
        out << "null";
    }
    out << ",\n  \"pairs\": [";
    for (std::size_t i = 0; i < pw.pairs.size(); ++i) {
        const PairComparison& c = pw.pairs[i];
        out << (i > 0 ? ",\n   {" : "\n   {") << "\"group1\": ";
        writeJsonString(out, d.groups[std::size_t(c.first)]);
        out << ", \"group2\": ";
        writeJsonString(out, d.groups[std::size_t(c.second)]);
        numberField(out, "statistic", c.statistic);
        if (c.df) {
            numberField(out, "df", *c.df);
        }
        numberField(out, "p", c.p);
        numberField(out, "padj", c.pAdjusted);
        numberField(out, "meanrankdiff", c.meanRankDifference);
        if (c.r) {
            numberField(out, "r", *c.r);
        }
        out << '}';
    }
    out << (pw.pairs.empty() ? "]" : "\n  ]") << ",\n  \"letters\": ";
    if (d.letters.empty()) {
        out << "null";
    } else {
        out << '{';
        for (std::size_t g = 0; g < d.groups.size(); ++g) {
            out << (g > 0 ? ", " : "");
            writeJsonString(out, d.groups[g]);
            out << ": ";
            writeJsonString(out, d.letters[g]);
        }
        out << '}';
    }
    out << '}';
    out << ",\n \"apa\": ";
    writeJsonString(out, apaLine(d));
    out << ",\n \"methods\": ";
    writeJsonString(out, methodsParagraph(d));
}

} // namespace

void writeResultsJson(std::ostream& out, const Session& session, const Details* details) {
    const ResultGrids& grids = session.grids();
    const TestValues& v = session.values();
    out << "{\n \"groupgrid\": ";
    writeJsonGrid(out, *grids.groups);
    out << ",\n \"npgrgrid\": ";
    writeJsonGrid(out, *grids.summary);
    out << ",\n \"rankgrid\": ";
    writeJsonGrid(out, *grids.ranks);
    out << ",\n \"countgrid\": ";
    writeJsonGrid(out, *grids.counts);
    out << ",\n \"mulcompgrid\": ";
    writeJsonGrid(out, *grids.comparison);
    out << ",\n \"alpha\": ";
    writeJsonNumber(out, v.alpha);
    out << ",\n \"ngroups\": " << v.groupCount;
    out << ",\n \"ntotal\": " << v.caseCount;
    out << ",\n \"dferror\": " << v.errorDf;
    out << ",\n \"rankvar\": ";
    writeJsonNumber(out, v.rankVariance);
    out << ",\n \"chi2\": ";
    writeJsonNumber(out, v.chiSquare);
    out << ",\n \"pvalue\": ";
    writeJsonNumber(out, v.pValue);
    if (details != nullptr) {
        writeDetails(out, *details);
    }
    out << "\n}\n";
}

} // namespace kw::cli
