#include "core/sheet/cellvalues.h"

#include "core/base/failure.h"
#include "core/base/numbers.h"

namespace kw {

int columnNumber(std::string_view letters) {
    auto code = [](char c) {
        const int upper = c >= 'a' && c <= 'z' ? c - 32 : c;
        return upper - 64;
    };
    if (letters.size() >= 2) {
        return code(letters[0]) * 26 + code(letters[1]);
    }
    return letters.empty() ? 0 : code(letters[0]);
}

std::string columnLetters(int column) {
    std::string out;
    while (column > 0) {
        const int rest = (column - 1) % 26;
        out.insert(out.begin(), static_cast<char>('A' + rest));
        column = (column - 1) / 26;
    }
    return out;
}

CellValue typedValue(std::string_view text, char decimal) {
    if (text.empty()) {
        return CellValue::makeEmpty();
    }
    if (const auto whole = parseInteger(text)) {
        return CellValue::makeInteger(*whole);
    }
    if (const auto real = parseReal(text, decimal)) {
        return CellValue::makeReal(*real);
    }
    return CellValue::makeText(std::string(text));
}

std::string textForm(const CellValue& value, char decimal, int column, int row) {
    switch (value.kind) {
    case CellValue::Kind::empty:
        return {};
    case CellValue::Kind::integer:
        return std::to_string(value.integer);
    case CellValue::Kind::real:
        return formatGeneral(value.real, 15, decimal);
    case CellValue::Kind::text:
        return value.text;
    case CellValue::Kind::error:
        break;
    }
    throw Failure(Failure::Reason::badData,
                  "the cell " + columnLetters(column) + std::to_string(row) +
                      " holds an error value" +
                      (value.text.empty() ? std::string() : " (" + value.text + ")") +
                      " instead of data: correct it in the sheet, or leave it out of the range");
}

} // namespace kw
