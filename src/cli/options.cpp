#include "options.h"

#include <algorithm>

namespace kw::cli {

const char* const usage =
    "usage: kwtest FILE [--group NAME] [--test NAME] [--alpha A] [--missing CODE]\n"
    "              [--group-as texts|numbers] [--where NAME=VALUE]... [--where NAME<>VALUE]...\n"
    "              [--sort group|median] [--report OUT] [--json OUT]\n"
    "       kwtest --help\n";

const char* const helptext =
    "Kruskal-Wallis test with multiple comparison of groups, run on a space-delimited text\n"
    "file (first line: variable names; then one line per case).\n"
    "\n"
    "The steps are those of the window, in this order: read FILE, type the missing-value\n"
    "code, pick the grouping variable, set how groups are treated, pick the test variable,\n"
    "add the selection conditions, set alpha, calculate, re-sort the comparison, and save the\n"
    "report.\n"
    "\n"
    "  --group NAME          grouping variable (its values must be discrete)\n"
    "  --test NAME           test variable (its values must be numbers)\n"
    "  --alpha A             significance level, default 0.05; a multiple comparison of\n"
    "                        groups follows when p < A\n"
    "  --missing CODE        missing-value code: cases whose test value is CODE are left out\n"
    "  --group-as MODE       treat the grouping variable as 'texts' or 'numbers' (set by the\n"
    "                        check of the grouping variable unless given)\n"
    "  --where NAME=VALUE    include only cases whose NAME is VALUE (repeatable; all must hold)\n"
    "  --where NAME<>VALUE   include only cases whose NAME is not VALUE\n"
    "  --sort group|median   order of the multiple comparison table (default: group)\n"
    "  --report OUT          write the results report to OUT (default: standard output)\n"
    "  --json OUT            write the result grids and values to OUT as JSON\n"
    "  --help                show this text\n"
    "\n"
    "Exit status: 0 on success; 1 when the data or a choice is refused (the reason goes to\n"
    "standard error and no output file is created or changed); 2 for a usage error.\n"
    "Warnings that let the calculation go on are written to standard error.\n";

Options parseoptions(const std::vector<std::string>& args) {
    Options o;
    bool endofoptions = false;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (endofoptions || a.size() < 2 || a.compare(0, 2, "--") != 0) {
            positional.push_back(a);
            continue;
        }
        if (a == "--") {
            endofoptions = true;
            continue;
        }
        std::string name = a;
        std::optional<std::string> value;
        if (auto eq = a.find('='); eq != std::string::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
        }
        if (name == "--help") {
            o.help = true;
            continue;
        }
        static const char* const known[] = {"--group",   "--test",     "--alpha",
                                            "--missing", "--group-as", "--where",
                                            "--sort",    "--report",   "--json"};
        if (std::find(std::begin(known), std::end(known), name) == std::end(known)) {
            throw UsageError{"unknown option " + name};
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                throw UsageError{"option " + name + " needs a value"};
            }
            value = args[++i];
        }
        if (name == "--group") {
            o.group = *value;
        } else if (name == "--test") {
            o.test = *value;
        } else if (name == "--alpha") {
            o.alpha = *value;
        } else if (name == "--missing") {
            o.missing = *value;
        } else if (name == "--group-as") {
            if (*value != "texts" && *value != "numbers") {
                throw UsageError{"--group-as takes texts or numbers"};
            }
            o.groupas = *value;
        } else if (name == "--where") {
            if (value->find('=') == std::string::npos && value->find("<>") == std::string::npos) {
                throw UsageError{"--where takes NAME=VALUE or NAME<>VALUE"};
            }
            o.where.push_back(*value);
        } else if (name == "--sort") {
            if (*value != "group" && *value != "median") {
                throw UsageError{"--sort takes group or median"};
            }
            o.sort = *value;
        } else if (name == "--report") {
            o.report = *value;
        } else {
            o.json = *value;
        }
    }
    if (o.help) {
        return o;
    }
    if (positional.size() != 1) {
        throw UsageError{positional.empty() ? "no data file given"
                                            : "more than one data file given"};
    }
    o.file = positional.front();
    return o;
}

std::optional<WhereCondition> splitwhere(const std::string& text,
                                         const std::vector<std::string>& variables) {
    for (std::size_t p = 0; p < text.size(); ++p) {
        int op = -1;
        std::size_t oplen = 0;
        if (text.compare(p, 2, "<>") == 0) {
            op = 1;
            oplen = 2;
        } else if (text[p] == '=') {
            op = 0;
            oplen = 1;
        } else {
            continue;
        }
        auto it = std::find(variables.begin(), variables.end(), text.substr(0, p));
        if (it != variables.end()) {
            return WhereCondition{static_cast<int>(it - variables.begin()), op,
                                  text.substr(p + oplen)};
        }
    }
    return std::nullopt;
}

} // namespace kw::cli
