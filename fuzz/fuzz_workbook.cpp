// The workbook reader on arbitrary bytes: it either refuses them with a kw::Failure or gives
// a workbook whose every sheet reads (or is refused) as a table of the block's shape, its
// preview of the same shape. The seeds are the test workbooks with their parts stored
// uncompressed, so that mutations reach the XML. A part whose bytes were changed no longer
// matches its checksum: such an input is read a second time with its checksums made right,
// so that the changes reach the XML check and orcus behind it. What the reader rewrites for
// orcus must stay well-formed XML: a refusal of its own rewriting is a finding.
//
// Inputs above 256 KB are skipped: a zip part may unpack to about a thousand times its size.

#include "core/base/failure.h"
#include "core/io/workbook.h"
#include "core/io/ziparchive.h"
#include "fuzzcheck.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace {

// The archive with the checksums of its stored parts made right in its directory.
std::string withTrueChecksums(std::string bytes) {
    const std::optional<std::vector<kw::ZipEntry>> entries = kw::zipEntries(bytes);
    if (!entries) {
        return bytes;
    }
    auto le16 = [&](std::uint64_t at) {
        return static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[at])) |
               static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
    };
    for (const kw::ZipEntry& e : *entries) {
        if (e.method != 0 || e.header > bytes.size() || bytes.size() - e.header < 30) {
            continue;
        }
        const std::uint64_t at = e.header + 30 + le16(e.header + 26) + le16(e.header + 28);
        if (at > bytes.size() || bytes.size() - at < e.packed) {
            continue;
        }
        const std::uint32_t crc = kw::zipChecksum(std::string_view(bytes).substr(at, e.packed));
        for (int i = 0; i < 4; ++i) {
            bytes[e.record + 16 + static_cast<std::size_t>(i)] = static_cast<char>(crc >> (8 * i));
        }
    }
    return bytes;
}

void refused(const kw::Failure& f) {
    FUZZ_CHECK(!f.message().empty());
    // At the start of the message only: the names of parts, quoted in other refusals, come
    // from the input and may hold any text.
    FUZZ_CHECK(f.message().rfind("the file cannot be read: the reader's rewriting", 0) ==
               std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (std::size_t{1} << 18)) {
        return 0;
    }
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::optional<kw::Workbook> book;
    try {
        book = kw::Workbook::fromBytes(bytes);
    } catch (const kw::Failure& f) {
        refused(f);
        if (f.message().find("does not match its checksum") == std::string::npos) {
            return 0;
        }
    }
    if (!book) {
        try {
            book = kw::Workbook::fromBytes(withTrueChecksums(std::move(bytes)));
        } catch (const kw::Failure& f) {
            refused(f);
            return 0;
        }
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
