#include "core/results/detailsreport.h"

#include "core/base/numbers.h"
#include "core/base/version.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kw {

namespace {

constexpr const char* eol = "\r\n";

// A number in a table or a sentence: six significant digits.
std::string number(double x) {
    if (std::isnan(x)) {
        return "NA";
    }
    return formatGeneral(x, 6);
}

// A p-value as APA style writes it: three decimals without the leading zero, or < .001.
std::string apaP(double p) {
    if (p < 0.001) {
        return "p < .001";
    }
    if (p > 0.9995) {
        return "p > .999";
    }
    std::string digits = formatFixed(p, 3);
    return "p = " + digits.substr(digits.find('.'));
}

std::string decimals2(double x) {
    return std::isnan(x) ? std::string("NA") : formatFixed(x, 2);
}

// Rows of cells written as columns: the first left-aligned, the others right-aligned.
void writeTable(std::ostream& out, const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> width;
    for (const auto& row : rows) {
        width.resize(std::max(width.size(), row.size()), 0);
        for (std::size_t c = 0; c < row.size(); ++c) {
            width[c] = std::max(width[c], row[c].size());
        }
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c == 0) {
                line += row[c] + std::string(width[c] - row[c].size(), ' ');
            } else {
                line += "  " + std::string(width[c] - row[c].size(), ' ') + row[c];
            }
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        out << line << eol;
    }
}

std::string pDescription(const Details& d) {
    const PermutationP& p = d.pValue;
    if (p.exact) {
        return "p (exact, conditional on the midranks) = " + number(p.p);
    }
    std::string text = "p (Monte Carlo, " + std::to_string(p.resamples) + " relabellings, seed " +
                       std::to_string(d.request.seed) + ") = " + number(p.p);
    if (p.interval) {
        text += ", 99% Clopper-Pearson interval [" + number(p.interval->first) + ", " +
                number(p.interval->second) + "]";
    }
    return text;
}

} // namespace

std::string pairwiseMethodTitle(PairwiseMethod method) {
    switch (method) {
    case PairwiseMethod::dunn:
        return "Dunn's test";
    case PairwiseMethod::conover:
        return "the Conover-Iman test";
    case PairwiseMethod::dscf:
        return "the Dwass-Steel-Critchlow-Fligner test";
    }
    return {};
}

std::string adjustmentTitle(Adjustment adjustment) {
    switch (adjustment) {
    case Adjustment::none:
        return "no adjustment";
    case Adjustment::bonferroni:
        return "the Bonferroni adjustment";
    case Adjustment::sidak:
        return "the Sidak adjustment";
    case Adjustment::holm:
        return "Holm's adjustment";
    case Adjustment::holmSidak:
        return "the Holm-Sidak adjustment";
    case Adjustment::hochberg:
        return "Hochberg's adjustment";
    case Adjustment::hommel:
        return "Hommel's adjustment";
    case Adjustment::benjaminiHochberg:
        return "the Benjamini-Hochberg adjustment";
    case Adjustment::benjaminiYekutieli:
        return "the Benjamini-Yekutieli adjustment";
    }
    return {};
}

std::string apaLine(const Details& d) {
    const EffectSizes& e = d.effectSizes;
    return "H(" + std::to_string(d.df) + ") = " + decimals2(d.h) + ", " + apaP(d.pValue.p) +
           ", epsilon^2 = " + decimals2(e.epsilonSquared) + ", 95% CI [" +
           decimals2(e.epsilonSquaredInterval.first) + ", " +
           decimals2(e.epsilonSquaredInterval.second) + "]";
}

std::string methodsParagraph(const Details& d) {
    const DetailsRequest& r = d.request;
    std::string text = "The groups were compared with the Kruskal-Wallis test, its statistic H "
                       "corrected for ties. ";
    if (d.pValue.exact) {
        text += "Its p-value was computed exactly, over all assignments of the observed "
                "midranks to groups of the observed sizes; ";
    } else {
        text += "Its p-value was estimated from " + std::to_string(d.pValue.resamples) +
                " random relabellings of the cases (seed " + std::to_string(r.seed) +
                "), with a 99% Clopper-Pearson interval; ";
    }
    text += "the asymptotic chi-square p is " + number(d.pValue.asymptotic) +
            ". The effect sizes are epsilon-squared, H/(N-1), and eta-squared(H), "
            "(H-k+1)/(N-k), with two-sided 95% percentile bootstrap intervals from " +
            std::to_string(d.effectSizes.resamples) + " resamples drawn within each group (seed " +
            std::to_string(d.effectSizes.seed) + "). Pairs of groups were compared with " +
            pairwiseMethodTitle(d.pairwise.method) + ", two-sided";
    if (d.pairwise.method == PairwiseMethod::dscf) {
        text += ", its p-values from the studentized range and so adjusted for the family";
    } else {
        text += ", with " + adjustmentTitle(d.pairwise.adjustment);
    }
    if (d.pairwise.control) {
        text += ", each group against the control group " +
                d.groups[std::size_t(*d.pairwise.control)] + ".";
    } else {
        text +=
            "; groups that share a letter do not differ at alpha = " + formatGeneral(r.alpha, 15) +
            " (compact letter display).";
    }
    text += " Quartiles follow R's default definition (type 7). Computed with the "
            "Kruskal-Wallis program, version " +
            std::string(programVersion) + ".";
    return text;
}

void writeDetailsReport(std::ostream& out, const Details& d, const std::string& groupName,
                        const std::string& testName) {
    out << "KRUSKAL WALLIS NONPARAMETRIC ANOVA: DETAILS" << eol;
    out << "group: " << groupName << eol;
    out << "test: " << testName << eol << eol;

    out << "DESCRIPTIVES (quartiles by R's type 7)" << eol;
    std::vector<std::vector<std::string>> rows{
        {"group", "n", "median", "q1", "q3", "min", "max", "mean rank", "rank sum"}};
    for (std::size_t g = 0; g < d.groups.size(); ++g) {
        const GroupDescription& x = d.descriptives[g];
        rows.push_back({d.groups[g], std::to_string(x.n), number(x.median), number(x.q1),
                        number(x.q3), number(x.min), number(x.max), number(x.meanRank),
                        number(x.rankSum)});
    }
    writeTable(out, rows);
    out << eol;

    out << "OVERALL TEST" << eol;
    out << "H = " << number(d.h) << ", df = " << d.df << ", N = " << d.caseCount << eol;
    out << "p (asymptotic chi-square) = " << number(d.pValue.asymptotic) << eol;
    out << pDescription(d) << eol << eol;

    const EffectSizes& e = d.effectSizes;
    out << "EFFECT SIZES (95% percentile bootstrap intervals, " << e.resamples
        << " resamples within groups, seed " << e.seed << ")" << eol;
    writeTable(out, {{"epsilon^2", number(e.epsilonSquared),
                      "[" + number(e.epsilonSquaredInterval.first) + ", " +
                          number(e.epsilonSquaredInterval.second) + "]"},
                     {"eta^2(H)", number(e.etaSquared),
                      "[" + number(e.etaSquaredInterval.first) + ", " +
                          number(e.etaSquaredInterval.second) + "]"}});
    out << eol;

    const PairwiseComparisons& pw = d.pairwise;
    out << "PAIRWISE COMPARISONS: " << pairwiseMethodTitle(pw.method) << ", two-sided, "
        << (pw.method == PairwiseMethod::dscf ? std::string("p adjusted for the family")
                                              : adjustmentTitle(pw.adjustment));
    if (pw.control) {
        out << ", against the control group " << d.groups[std::size_t(*pw.control)];
    }
    out << eol;
    const bool conover = pw.method == PairwiseMethod::conover;
    const bool dunn = pw.method == PairwiseMethod::dunn;
    std::vector<std::string> head{"group1", "group2", "statistic"};
    if (conover) {
        head.push_back("df");
    }
    head.insert(head.end(), {"p", "p adjusted", "mean rank difference"});
    if (dunn) {
        head.push_back("r");
    }
    rows = {head};
    for (const PairComparison& p : pw.pairs) {
        std::vector<std::string> row{d.groups[std::size_t(p.first)],
                                     d.groups[std::size_t(p.second)], number(p.statistic)};
        if (conover) {
            row.push_back(p.df ? number(*p.df) : std::string());
        }
        row.insert(row.end(), {number(p.p), number(p.pAdjusted), number(p.meanRankDifference)});
        if (dunn) {
            row.push_back(p.r ? number(*p.r) : std::string());
        }
        rows.push_back(std::move(row));
    }
    writeTable(out, rows);
    out << eol;

    if (!d.letters.empty()) {
        out << "LETTERS (groups that share a letter do not differ at alpha = "
            << formatGeneral(d.request.alpha, 15) << ")" << eol;
        rows.clear();
        for (std::size_t g = 0; g < d.groups.size(); ++g) {
            rows.push_back({d.groups[g], d.letters[g]});
        }
        writeTable(out, rows);
        out << eol;
    }
    out << "FOR A PAPER" << eol << apaLine(d) << eol << eol;
    out << "METHODS" << eol << methodsParagraph(d) << eol;
}

} // namespace kw
