// The workbook reader on arbitrary bytes: it either refuses them with a kw::Failure or gives
// a workbook whose every sheet reads (or is refused) as a table of the block's shape, its
// preview of the same shape. The seeds are the test workbooks with their parts stored
// uncompressed, so that mutations reach the XML.
//
// Inputs above 256 KB are skipped: a zip part may unpack to about a thousand times its size.

#include "core/base/failure.h"
#include "core/io/workbook.h"
#include "fuzzcheck.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (std::size_t{1} << 18)) {
        return 0;
    }
    std::optional<kw::Workbook> book;
    try {
        book = kw::Workbook::fromBytes(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const kw::Failure& f) {
        FUZZ_CHECK(!f.message().empty());
        return 0;
    }
    const std::vector<std::string> sheets = book->sheetNames();
    FUZZ_CHECK(!sheets.empty());
    for (const std::string& sheet : sheets) {
        kw::ImportOptions options;
        options.sheet = sheet;
        std::string used;
        try {
            used = book->usedRange(sheet);
        } catch (const kw::Failure&) {
            continue; // two sheets of one name (letter case aside) leave the second unreachable
        }
        if (used.empty()) {
            continue;
        }
        const auto preview = book->preview(options, 4);
        FUZZ_CHECK(!preview.empty() && preview.size() <= 4);
        for (const auto& row : preview) {
            FUZZ_CHECK(row.size() == preview.front().size());
        }
        for (const bool wide : {false, true}) {
            options.wide = wide;
            try {
                const kw::DataTable t = book->table(options, '.');
                FUZZ_CHECK(t.variableCount() ==
                           (wide ? 2 : static_cast<int>(preview.front().size())));
                for (int c = 1; c <= t.variableCount(); ++c) {
                    for (int r = 1; r <= t.caseCount(); ++r) {
                        FUZZ_CHECK(!t.value(c, r).empty());
                    }
                }
            } catch (const kw::Failure& f) {
                FUZZ_CHECK(!f.message().empty());
            }
        }
    }
    return 0;
}
