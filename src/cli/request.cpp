#include "cli/request.h"

#include "core/base/failure.h"
#include "core/data/variablechecks.h"

#include <algorithm>

namespace kw::cli {

namespace {

Failure unknownVariable(const std::string& name) {
    return Failure(Failure::Reason::badData,
                   "there is no variable named '" + name + "' in the data file");
}

int columnNamed(const DataTable& table, const std::string& name) {
    const auto& names = table.names();
    const auto it = std::find(names.begin(), names.end(), name);
    if (it == names.end()) {
        throw unknownVariable(name);
    }
    return static_cast<int>(it - names.begin()) + 1;
}

} // namespace

AnalysisRequest analysisRequest(const Options& options, const DataTable& table,
                                std::string missingCode, const Locale& locale) {
    AnalysisRequest request;
    request.locale = locale;
    request.missingCode = std::move(missingCode);
    if (options.group) {
        request.groupColumn = columnNamed(table, *options.group);
        request.groupMode = checkGroupingVariable(table, request.groupColumn);
    }
    if (options.groupAs) {
        request.groupMode = *options.groupAs == "texts" ? GroupMode::texts : GroupMode::numbers;
    }
    if (options.test) {
        request.testColumn = columnNamed(table, *options.test);
        checkTestVariable(table, request.testColumn);
    }
    for (const std::string& where : options.where) {
        const auto condition = splitWhere(where, table.names());
        if (!condition) {
            throw unknownVariable(where.substr(0, std::min(where.find('='), where.find("<>"))));
        }
        const int column = condition->position + 1;
        checkSelectionVariable(table, column);
        request.conditions.push_back(Condition{
            column, condition->operatorPosition == 0 ? Operator::equal : Operator::unequal,
            condition->value});
    }
    request.alpha = parseAlpha(options.alpha.value_or("0.05"), locale.decimal);
    if (options.sort) {
        request.comparisonOrder = *options.sort == "median" ? SortBy::median : SortBy::groupValue;
    }
    // Only the JSON and the counts sheet show the counts grid, and only the JSON the cases.
    request.countRows = options.json.has_value() || options.countsToSheet;
    request.caseOrder = options.json.has_value();
    return request;
}

} // namespace kw::cli
