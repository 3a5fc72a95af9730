#include "core/io/importoptions.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace kw {

namespace {

std::string lowerExtension(std::string_view path) {
    const auto slash = path.find_last_of("/\\");
    const auto dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        return {};
    }
    std::string ext(path.substr(dot + 1));
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

} // namespace

DataFileKind dataFileKindByName(std::string_view path) {
    const std::string ext = lowerExtension(path);
    if (ext == "csv" || ext == "tsv" || ext == "tab") {
        return DataFileKind::delimitedText;
    }
    if (ext == "xlsx" || ext == "xlsm" || ext == "ods") {
        return DataFileKind::workbook;
    }
    if (ext == "sav" || ext == "zsav" || ext == "por" || ext == "dta") {
        return DataFileKind::statistics;
    }
    return DataFileKind::spaceText;
}

std::optional<DataFileKind> dataFileKindByContent(std::string_view head) {
    auto startsWith = [&](std::string_view s) { return head.substr(0, s.size()) == s; };
    if (startsWith("PK\x03\x04")) {
        return DataFileKind::workbook;
    }
    if (startsWith("$FL2") || startsWith("$FL3") || startsWith("<stata_dta>")) {
        return DataFileKind::statistics;
    }
    // An SPSS portable file opens with 200 bytes of vanity text, then its signature.
    if (head.size() >= 464 && head.find("SPSSPORT") != std::string_view::npos) {
        return DataFileKind::statistics;
    }
    // Stata before version 13: a release byte (104 to 115), the byte order (1 or 2), a 1.
    if (head.size() >= 4 && static_cast<unsigned char>(head[0]) >= 104 &&
        static_cast<unsigned char>(head[0]) <= 115 && (head[1] == 1 || head[1] == 2) &&
        head[2] == 1 && head[3] == 0) {
        return DataFileKind::statistics;
    }
    return std::nullopt;
}

DataFileKind dataFileKind(const std::string& path) {
    const DataFileKind byName = dataFileKindByName(path);
    if (byName != DataFileKind::spaceText) {
        return byName;
    }
    std::ifstream in(path, std::ios::binary);
    std::string head(512, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return dataFileKindByContent(head).value_or(DataFileKind::spaceText);
}

} // namespace kw
