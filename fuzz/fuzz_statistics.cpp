// The statistics-file reader on arbitrary bytes: it either refuses them with a kw::Failure or
// gives a table whose variables all hold the same number of non-empty cells. The first byte
// chooses the name the bytes go by (a portable file is known by its extension only): 0 .sav,
// 1 .dta, 2 .por; the rest is the file. The seeds are the test files behind such a byte.
//
// Inputs above 1 MB are skipped.

#include "core/base/failure.h"
#include "core/io/statisticsfile.h"
#include "fuzzcheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > (std::size_t{1} << 20)) {
        return 0;
    }
    static const char* const names[] = {"fuzz.sav", "fuzz.dta", "fuzz.por"};
    const std::string name = names[data[0] % 3];
    std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    kw::ImportOptions options;
    options.wide = (data[0] & 0x80) != 0;
    try {
        const kw::DataTable t = kw::readStatisticsData(std::move(bytes), name, options, '.');
        FUZZ_CHECK(t.variableCount() > 0 && t.caseCount() > 0);
        for (int c = 1; c <= t.variableCount(); ++c) {
            FUZZ_CHECK(t.column(c).size() == static_cast<std::size_t>(t.caseCount()));
            for (int r = 1; r <= t.caseCount(); ++r) {
                FUZZ_CHECK(!t.value(c, r).empty());
            }
        }
    } catch (const kw::Failure& f) {
        FUZZ_CHECK(!f.message().empty());
    }
    return 0;
}
