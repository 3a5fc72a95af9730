#include "core/io/workbook.h"

#include "core/base/failure.h"
#include "core/io/textreader.h"
#include "core/io/xmlcheck.h"
#include "core/io/ziparchive.h"

#include "support/tablechecks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using kw::Failure;
using kw::ImportOptions;
using kw::Workbook;

using kw::test::column;
using kw::test::expectSameTable;
using kw::test::failure;

const std::string dir = std::string(KW_IMPORT_DATA_DIR) + "/workbook/";
// Inputs the fuzzer found are kept in its seed corpus.
const std::string corpus = std::string(KW_IMPORT_DATA_DIR) + "/../../../fuzz/corpus/fuzz_workbook/";

ImportOptions on(const std::string& sheet, const std::string& range = {}) {
    ImportOptions o;
    o.sheet = sheet;
    o.range = range;
    return o;
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class EachFormat : public testing::TestWithParam<const char*> {
protected:
    Workbook book(const std::string& name) const {
        return Workbook::load(dir + name + "." + GetParam());
    }
};

INSTANTIATE_TEST_SUITE_P(Workbook, EachFormat, testing::Values("xlsx", "ods"));

TEST_P(EachFormat, CellsReadAsTheLinkShowsThem) {
    // Texts, decimals, whole numbers, an empty cell, dates, booleans, cached formula results.
    const Workbook book = this->book("books");
    EXPECT_EQ(book.sheetNames(), (std::vector<std::string>{"Data", "Other", "Errors"}));
    EXPECT_EQ(book.usedRange("Data"), "A1:F8");
    expectSameTable(book.table({}, '.'), dir + "books-data.txt");
    expectSameTable(readWorkbookFile(dir + "books." + GetParam(), on("Data"), '.'),
                    dir + "books-data.txt");
}

TEST_P(EachFormat, OtherSheetsByNameTimesPercentagesAndTextResults) {
    const Workbook book = this->book("books");
    ImportOptions options = on("other"); // the letter case of a sheet's name does not count
    options.naCodes = {"NA"};
    const kw::DataTable t = book.table(options, '.');
    // An unnamed column is named after its place.
    EXPECT_EQ(t.names(), (std::vector<std::string>{"name", "when", "share", "var4", "label"}));
    EXPECT_EQ(column(t, 1), (std::vector<std::string>{"Ä ü – 名", "b c"}));
    EXPECT_EQ(column(t, 2), (std::vector<std::string>{"2024-03-15 13:45:30", "1999-12-31"}));
    EXPECT_EQ(column(t, 3), (std::vector<std::string>{"0.25", "1.5"}));
    EXPECT_EQ(column(t, 4), (std::vector<std::string>{"1E-7", "-99"})); // blanks only: missing
    EXPECT_EQ(column(t, 5), (std::vector<std::string>{"xb c", "-99"}));
}

TEST_P(EachFormat, RangesPickABlockAnywhere) {
    const Workbook book = this->book("offset");
    EXPECT_EQ(book.usedRange("Trial"), "A1:E8");
    for (const char* range : {"C3:E8", "$c$3:$e$8", "E8:C3", " C3 : E8 "}) {
        expectSameTable(book.table(on("", range), '.'), dir + "offset.txt");
    }
    // A block past the used cells reads them as missing.
    const kw::DataTable tall = book.table(on("Trial", "D3:D10"), '.');
    EXPECT_EQ(column(tall, 1),
              (std::vector<std::string>{"2.5", "3.5", "7", "8", "7", "-99", "-99"}));
    // A block of empty cells reads as missing values under unnamed columns, as the link reads
    // it.
    const kw::DataTable empty = book.table(on("Trial", "G1:H3"), '.');
    EXPECT_EQ(empty.names(), (std::vector<std::string>{"var1", "var2"}));
    EXPECT_EQ(column(empty, 2), (std::vector<std::string>{"-99", "-99"}));
}

TEST_P(EachFormat, AnErrorCellIsRefusedNamingTheCell) {
    const Workbook book = this->book("books");
    EXPECT_EQ(failure([&] { book.table(on("Errors"), '.'); }),
              "the cell B3 holds an error value instead of data: correct it in the sheet, or "
              "leave it out of the range");
    EXPECT_EQ(column(book.table(on("Errors", "A1:A3"), '.'), 1),
              (std::vector<std::string>{"1", "2"}));
    // The preview shows it.
    EXPECT_EQ(book.preview(on("Errors"), 5),
              (std::vector<std::vector<std::string>>{{"a", "b"}, {"1", "3"}, {"2", "#ERR!"}}));
}

TEST_P(EachFormat, WideLayoutDecimalCommaAndPreview) {
    const Workbook book = this->book("books");
    ImportOptions options = on("Data", "B1:C3");
    options.wide = true;
    const kw::DataTable wide = book.table(options, ',');
    EXPECT_EQ(wide.names(), (std::vector<std::string>{"group", "value"}));
    EXPECT_EQ(column(wide, 1), (std::vector<std::string>{"weight", "weight", "count", "count"}));
    EXPECT_EQ(column(wide, 2), (std::vector<std::string>{"4,17", "5,58", "12", "7"}));

    const auto preview = book.preview(on("Data", "A1:C9"), 3);
    EXPECT_EQ(preview,
              (std::vector<std::vector<std::string>>{
                  {"group", "weight", "count"}, {"ctrl", "4.17", "12"}, {"ctrl", "5.58", "7"}}));
    EXPECT_TRUE(book.preview(on("Data"), 0).empty());
}

TEST_P(EachFormat, SheetsAndBlocksThatAreNotThereAreRefused) {
    const Workbook book = this->book("books");
    EXPECT_EQ(failure([&] { book.table(on("Nope"), '.'); }),
              "the workbook has no sheet named 'Nope'");
    EXPECT_EQ(failure([&] { book.usedRange("Nope"); }), "the workbook has no sheet named 'Nope'");
    EXPECT_EQ(failure([&] { book.table(on("Data", "A1-C4"), '.'); }),
              "the range 'A1-C4' is not a block of cells: give its first and last cell, such as "
              "A1:C40");
    for (const char* bad : {"A1", "1A:C4", "A:C", "ABCD1:B2", "A1:C4x", ""}) {
        if (*bad != '\0') {
            EXPECT_NE(
                failure([&] { book.table(on("Data", bad), '.'); }).find("is not a block of cells"),
                std::string::npos)
                << bad;
        }
    }
    EXPECT_EQ(failure([&] { book.table(on("Data", "A0:B3"), '.'); }),
              "the range 'A0:B3' names row 0: rows start at 1");
    EXPECT_EQ(failure([&] { book.table(on("Data", "A1:XFE3"), '.'); }),
              "the range 'A1:XFE3' reaches past the last cell of a sheet, XFD1048576");
    EXPECT_EQ(failure([&] { book.table(on("Data", "A1:C1"), '.'); }),
              "the range A1:C1 holds only the row of names: it needs at least one row of cases "
              "below it");
    EXPECT_EQ(failure([&] { book.table(on("Data", "A1:Z20000000"), '.'); }),
              "the range 'A1:Z20000000' reaches past the last cell of a sheet, XFD1048576");
}

TEST_P(EachFormat, RepeatedRowsMergedCellsBlanksTimesAndCurrencies) {
    // Written by hand for .ods the way other producers write it; LibreOffice made the .xlsx.
    const kw::DataTable t = this->book("features").table({}, '.');
    EXPECT_EQ(t.names(), (std::vector<std::string>{"group", "value", "when", "price", "note"}));
    EXPECT_EQ(column(t, 1), (std::vector<std::string>{"a", "a", "a", "b", "c"}));
    EXPECT_EQ(column(t, 2), (std::vector<std::string>{"1.5", "1.5", "1.5", "7", "2"}));
    EXPECT_EQ(column(t, 3), (std::vector<std::string>{"13:45:30", "13:45:30", "13:45:30",
                                                      "10:00:00", "00:00:01"}));
    EXPECT_EQ(column(t, 4), (std::vector<std::string>{"2.5", "2.5", "2.5", "3", "4"}));
    EXPECT_EQ(column(t, 5), (std::vector<std::string>{"x  y", "x  y", "x  y", "z", "w"}));
}

TEST(Workbook, RWritesBooleansDatesAndMissingValuesItsOwnWay) {
    expectSameTable(kw::readWorkbookFile(dir + "openxlsx.xlsx", {}, '.'), dir + "openxlsx.txt");
}

TEST(Workbook, InlineStringsOfStreamingWritersAreRead) {
    const kw::DataTable only = kw::readWorkbookFile(dir + "inline.xlsx", {}, '.');
    EXPECT_EQ(only.names(), (std::vector<std::string>{"group", "value"}));
    EXPECT_EQ(column(only, 1), (std::vector<std::string>{"a & b", "c"}));
    EXPECT_EQ(column(only, 2), (std::vector<std::string>{"1.5", "2"}));
    // Beside shared strings, in rich-text runs, and empty.
    const kw::DataTable mixed = kw::readWorkbookFile(dir + "mixed.xlsx", {}, '.');
    EXPECT_EQ(mixed.names(), (std::vector<std::string>{"group", "value"}));
    EXPECT_EQ(column(mixed, 1), (std::vector<std::string>{"shared", "ü"}));
    EXPECT_EQ(column(mixed, 2), (std::vector<std::string>{"x y", "-99"}));
}

TEST(Workbook, FilesThatAreNoWorkbooksAreRefusedSayingWhy) {
    const std::string d = dir + "damaged/";
    EXPECT_EQ(failure([&] { Workbook::load(d + "text.xlsx"); }),
              "the file " + d +
                  "text.xlsx is not an .xlsx or .ods workbook: it is not a zip archive");
    EXPECT_EQ(failure([&] { Workbook::load(d + "not-a-workbook.xlsx"); }),
              "the file " + d +
                  "not-a-workbook.xlsx is not an .xlsx or .ods workbook: it is a zip archive "
                  "without a workbook in it");
    EXPECT_NE(failure([&] { Workbook::load(d + "cut.xlsx"); }).find("cut.xlsx is not an"),
              std::string::npos);
    EXPECT_EQ(failure([&] { Workbook::fromBytes(""); }),
              "the file is not an .xlsx or .ods workbook: it is not a zip archive");
    // The kind comes from the content, not the name.
    expectSameTable(Workbook::load(d + "ods-named.xlsx").table({}, '.'), dir + "books-data.txt");

    try {
        Workbook::load(d + "no-such-file.xlsx");
        ADD_FAILURE();
    } catch (const Failure& f) {
        EXPECT_EQ(f.reason(), Failure::Reason::fileAccess);
        EXPECT_EQ(f.message(),
                  "cannot read the file " + d + "no-such-file.xlsx: No such file or directory");
    }
}

TEST(Workbook, ArchivesClaimingImpossibleSizesAreRefusedBeforeTheyAreUnpacked) {
    // A part that claims to unpack to almost 4 GB from a few hundred bytes would have orcus
    // allocate that much.
    std::string bytes = fileBytes(dir + "inline.xlsx");
    const std::size_t entry = bytes.find("PK\x01\x02");
    ASSERT_NE(entry, std::string::npos);
    for (int i = 0; i < 4; ++i) {
        bytes[entry + 24 + static_cast<std::size_t>(i)] = static_cast<char>(0xf0);
    }
    EXPECT_EQ(failure([&] { Workbook::fromBytes(bytes); }),
              "the file is damaged: the part '[Content_Types].xml' of its zip archive claims "
              "sizes that cannot be");
}

// The parts of a test workbook, unpacked, to be changed and packed again (stored, with their
// checksums).
using Parts = std::vector<std::pair<std::string, std::string>>;

Parts partsOf(const std::string& path) {
    const std::string bytes = fileBytes(path);
    Parts parts;
    const std::vector<kw::ZipEntry> entries = kw::zipEntries(bytes).value();
    for (const kw::ZipEntry& e : entries) {
        std::string data;
        kw::unpackZipPart(bytes, e, "the file", data);
        parts.emplace_back(e.name, std::move(data));
    }
    return parts;
}

std::string& part(Parts& parts, const std::string& name) {
    for (auto& [n, data] : parts) {
        if (n == name) {
            return data;
        }
    }
    ADD_FAILURE() << "no part " << name;
    return parts.front().second;
}

void replace(std::string& s, const std::string& what, const std::string& with) {
    const std::size_t at = s.find(what);
    ASSERT_NE(at, std::string::npos) << what;
    s.replace(at, what.size(), with);
}

std::string readFailure(const Parts& parts) {
    return failure([&] { Workbook::fromBytes(kw::storedZip(parts)); });
}

// The archive with the checksums of its stored parts made right in its directory.
std::string withTrueChecksums(std::string bytes) {
    auto le16 = [&](std::size_t at) {
        return static_cast<std::size_t>(static_cast<unsigned char>(bytes[at])) |
               static_cast<std::size_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
    };
    const std::vector<kw::ZipEntry> entries = kw::zipEntries(bytes).value();
    for (const kw::ZipEntry& e : entries) {
        const std::size_t at = e.header + 30 + le16(e.header + 26) + le16(e.header + 28);
        const std::uint32_t crc = kw::zipChecksum(std::string_view(bytes).substr(at, e.packed));
        for (int i = 0; i < 4; ++i) {
            bytes[e.record + 16 + static_cast<std::size_t>(i)] = static_cast<char>(crc >> (8 * i));
        }
    }
    return bytes;
}

// Orcus 0.17, built with its assertions, ends the program on some malformed XML: such parts
// must be refused before it reads them.
TEST(Workbook, InputsOnWhichOrcusAbortsAreRefusedNamingTheDamagedPart) {
    // Fuzzed archives whose parts no longer match their checksums.
    const std::string ods = corpus + "orcus-parser-assert.ods";
    const std::string xlsx = corpus + "orcus-parser-assert.xlsx";
    EXPECT_EQ(failure([&] { Workbook::load(ods); }),
              "the file " + ods +
                  " is damaged: its part 'content.xml' does not match its checksum");
    EXPECT_EQ(failure([&] { Workbook::load(xlsx); }),
              "the file " + xlsx +
                  " is damaged: its part 'xl/styles.xml' does not match its checksum");
    // With the checksums made right, the XML that made orcus abort is refused.
    EXPECT_EQ(failure([&] { Workbook::fromBytes(withTrueChecksums(fileBytes(ods))); }),
              "the file is damaged: its part 'content.xml' is not well-formed XML at line 2, "
              "column 894: not well-formed (invalid token)");
    EXPECT_EQ(failure([&] { Workbook::fromBytes(withTrueChecksums(fileBytes(xlsx))); }),
              "the file is damaged: its part 'xl/worksheets/sheet2.xml' is not well-formed XML at "
              "line 1, column 36: XML declaration not well-formed");
}

TEST(Workbook, DamagedPartsAreRefusedBeforeOrcusReadsThem) {
    const Parts books = partsOf(dir + "books.xlsx");
    Parts p = books;
    replace(part(p, "xl/worksheets/sheet1.xml"), "</row>", "");
    EXPECT_EQ(readFailure(p), "the file is damaged: its part 'xl/worksheets/sheet1.xml' is not "
                              "well-formed XML at line 2, column 3899: mismatched tag");
    p = books;
    replace(part(p, "xl/workbook.xml"), "<workbook",
            "<!DOCTYPE workbook [<!ENTITY a \"aaaaaaaa\">]><workbook");
    EXPECT_EQ(readFailure(p), "the file cannot be read: its part 'xl/workbook.xml' holds a "
                              "document type declaration, which workbooks do not have (line 2, "
                              "column 20)");
    p = partsOf(dir + "books.ods");
    replace(part(p, "content.xml"), "</table:table-row>", "</table:table-rox>");
    EXPECT_NE(readFailure(p).find("the file is damaged: its part 'content.xml' is not well-formed "
                                  "XML at line 2, column "),
              std::string::npos);

    // A byte changed after the checksum was taken.
    std::string bytes = kw::storedZip(books);
    bytes[bytes.find("<sheetData>") + 3] = 'X';
    EXPECT_EQ(failure([&] { Workbook::fromBytes(bytes); }),
              "the file is damaged: its part 'xl/worksheets/sheet1.xml' does not match its "
              "checksum");

    // A deflated part that unpacks to another size than its directory gives, and one packed
    // in a way the reader does not know.
    const std::string inline_ = fileBytes(dir + "inline.xlsx");
    const std::vector<kw::ZipEntry> inlineEntries = kw::zipEntries(inline_).value();
    const kw::ZipEntry* sheet = kw::findZipEntry(inlineEntries, "xl/worksheets/sheet1.xml");
    ASSERT_NE(sheet, nullptr);
    ASSERT_EQ(sheet->method, 8);
    bytes = inline_;
    ++bytes[sheet->record + 24];
    EXPECT_EQ(failure([&] { Workbook::fromBytes(bytes); }),
              "the file is damaged: its part 'xl/worksheets/sheet1.xml' cannot be unpacked");
    bytes = inline_;
    bytes[sheet->record + 10] = 12;
    EXPECT_EQ(failure([&] { Workbook::fromBytes(bytes); }),
              "the file cannot be read: its part 'xl/worksheets/sheet1.xml' is packed in a way the "
              "reader does not know (method 12)");
    bytes = inline_;
    bytes[sheet->header + 30 + sheet->name.size() + 5] ^= 0x55;
    EXPECT_NE(failure([&] {
                  Workbook::fromBytes(bytes);
              }).find("the file is damaged: its part 'xl/worksheets/sheet1.xml' "),
              std::string::npos);
}

// Where in a text an offset is, as expat tells it: "line L, column C", the column counting
// characters.
std::string whereIn(const std::string& text, std::size_t offset) {
    const std::size_t lineStart = text.rfind('\n', offset - 1) + 1; // 0 on the first line
    const auto column = std::count_if(text.begin() + static_cast<std::ptrdiff_t>(lineStart),
                                      text.begin() + static_cast<std::ptrdiff_t>(offset),
                                      [](char c) { return (c & 0xC0) != 0x80; });
    return "line " +
           std::to_string(
               std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n') +
               1) +
           ", column " + std::to_string(column + 1);
}

// XML large enough to be checked in two halves at once: lines padded with comments.
std::string padding(int lines) {
    const std::string comment = "<!--" + std::string(160, '.') + "-->\n";
    std::string out;
    for (int i = 0; i < lines; ++i) {
        out += comment;
    }
    return out;
}

TEST(Workbook, LargePartsAreCheckedInTwoHalvesAtOnceWithTheMessagesOfAWholeCheck) {
    Parts p = partsOf(dir + "books.xlsx");
    std::string& sheet = part(p, "xl/worksheets/sheet1.xml");
    replace(sheet, "<sheetData>", "<sheetData>" + padding(50000));
    replace(sheet, "</sheetData>", padding(50000) + "</sheetData>");
    ASSERT_GT(sheet.size(), std::size_t{16} << 20);
    expectSameTable(Workbook::fromBytes(kw::storedZip(p)).table({}, '.'), dir + "books-data.txt");

    // A tag that does not match (expat points at its name), from the start to the end: in the
    // first half, near the place the halves meet, in the second half.
    for (const double at : {0.01, 0.5, 0.56, 0.5625, 0.57, 0.99}) {
        Parts q = p;
        std::string& damaged = part(q, "xl/worksheets/sheet1.xml");
        const std::size_t line = damaged.find(
            "<!--", static_cast<std::size_t>(at * static_cast<double>(damaged.size())));
        damaged.replace(line, 4, "<b>x</c>");
        EXPECT_EQ(readFailure(q), "the file is damaged: its part 'xl/worksheets/sheet1.xml' is not "
                                  "well-formed XML at " +
                                      whereIn(damaged, line + 6) + ": mismatched tag")
            << at;
    }
    // An .ods, its content.xml unpacked first.
    Parts o = partsOf(dir + "books.ods");
    std::string& content = part(o, "content.xml");
    replace(content, "<office:body>", "<office:body>" + padding(100000));
    const std::size_t end = content.rfind("</office:document-content>");
    content.replace(end, 3, "</x");
    EXPECT_EQ(readFailure(o), "the file is damaged: its part 'content.xml' is not well-formed XML "
                              "at " +
                                  whereIn(content, end + 2) + ": mismatched tag");
}

TEST(Workbook, PartsReadInPiecesOfAnySize) {
    // The checks see a part in the pieces unpacking gives: a deflated part in pieces of one
    // byte is the same part.
    const std::string bytes = fileBytes(dir + "inline.xlsx");
    const std::vector<kw::ZipEntry> entries = kw::zipEntries(bytes).value();
    const kw::ZipEntry* sheet = kw::findZipEntry(entries, "xl/worksheets/sheet1.xml");
    ASSERT_NE(sheet, nullptr);
    std::string whole;
    kw::unpackZipPart(bytes, *sheet, "the file", whole);
    kw::ZipPart part(bytes, *sheet, "the file");
    std::string bytewise;
    char one = 0;
    for (std::string_view piece; !(piece = part.next(&one, 1)).empty();) {
        bytewise += piece;
    }
    EXPECT_EQ(bytewise, whole);
    EXPECT_NE(whole.find("<sheetData>"), std::string::npos);

    // Where a large part may be cut in two, and the elements open there, whatever the pieces:
    // markup that holds what looks like tags, values holding '>' and '/', empty elements. The
    // cut is the first start tag from the place asked for whose '<' and name share a piece.
    const std::string xml = "<?xml version=\"1.0\"?><!-- <a> --><w:doc x='1>2/'><b/><![CDATA[<c>]]>"
                            "<?pi <d> ?><e f=\"/\" ><g>text</g><h   /></e><e><i>";
    const std::vector<std::pair<std::size_t, std::vector<std::string>>> cuts = {
        {xml.find("<h"), {"w:doc", "e"}},
        {xml.rfind("<e>"), {"w:doc"}},
        {xml.rfind("<i>"), {"w:doc", "e"}}};
    for (std::size_t size = 1; size <= 9; ++size) {
        kw::XmlOpenElements scan;
        std::optional<std::size_t> found;
        std::size_t at = 0;
        for (; at < xml.size() && !found; at += size) {
            found = scan.feed(std::string_view(xml).substr(at, size), xml.find("<g>") + 1);
        }
        const auto expected = std::find_if(
            cuts.begin(), cuts.end(), [&](const auto& c) { return c.first % size != size - 1; });
        if (expected == cuts.end()) {
            EXPECT_FALSE(found) << size;
            continue;
        }
        ASSERT_TRUE(found) << size;
        EXPECT_EQ(at - size + *found, expected->first) << size;
        EXPECT_EQ(scan.open(), expected->second) << size;
    }
    EXPECT_EQ(kw::openingTags({"w:doc", "e"}) + "x" + kw::closingTags({"w:doc", "e"}),
              "<w:doc><e>x</e></w:doc>");
}

TEST(Workbook, ThePartsCheckedAreThoseOrcusReads) {
    // A sheet named otherwise than .xml is found through the relationships that lead to it.
    Parts p = partsOf(dir + "books.xlsx");
    for (auto& [name, data] : p) {
        if (name == "xl/worksheets/sheet1.xml") {
            name = "xl/worksheets/data.bin";
        }
    }
    replace(part(p, "xl/_rels/workbook.xml.rels"), "worksheets/sheet1.xml", "worksheets/data.bin");
    expectSameTable(Workbook::fromBytes(kw::storedZip(p)).table({}, '.'), dir + "books-data.txt");
    replace(part(p, "xl/worksheets/data.bin"), "</row>", "</rox>");
    EXPECT_NE(readFailure(p).find("its part 'xl/worksheets/data.bin' is not well-formed XML"),
              std::string::npos);

    // Parts orcus does not read are left alone: the drawings of notes, which spreadsheet
    // programs write as VML that is not well-formed XML, pictures, and damaged leftovers.
    p = partsOf(dir + "books.xlsx");
    p.emplace_back("xl/drawings/vmlDrawing1.vml", "<xml><o:shapelayout><br></xml>");
    p.emplace_back("xl/media/image1.png", "\x89PNG\r\n\x1a\n");
    std::string bytes = kw::storedZip(p);
    bytes[bytes.rfind("PNG")] = 'p';
    expectSameTable(Workbook::fromBytes(bytes).table({}, '.'), dir + "books-data.txt");
}

TEST(Workbook, RewrittenPartsStayWellFormedXml) {
    // Values in apostrophes holding quotation marks, and markup that holds what looks like the
    // cells the rewriting changes.
    Parts p = partsOf(dir + "features.ods");
    std::string& content = part(p, "content.xml");
    replace(content, R"(office:value-type="currency" office:currency="EUR" office:value="3")",
            R"(office:value-type='currency' office:currency='EUR "3"' office:value='3')");
    replace(content, "<table:table-row>",
            "<!-- <table:table-cell office:value-type=\"boolean\"> --><table:table-row>");
    replace(content, "<text:p>z</text:p>", "<text:p>z<![CDATA[<text:s/>]]></text:p>");
    const kw::DataTable t = Workbook::fromBytes(kw::storedZip(p)).table({}, '.');
    EXPECT_EQ(column(t, 4), (std::vector<std::string>{"2.5", "2.5", "2.5", "3", "4"}));
    EXPECT_EQ(column(t, 5), (std::vector<std::string>{"x  y", "x  y", "x  y", "z<text:s/>", "w"}));

    p = partsOf(dir + "mixed.xlsx");
    replace(part(p, "xl/worksheets/sheet1.xml"), R"(<c r="B1" t="inlineStr">)",
            R"(<c r='B1' t='inlineStr' kw:note='a "b"' xmlns:kw="urn:kw">)");
    const kw::DataTable m = Workbook::fromBytes(kw::storedZip(p)).table({}, '.');
    EXPECT_EQ(m.names(), (std::vector<std::string>{"group", "value"}));
    EXPECT_EQ(column(m, 2), (std::vector<std::string>{"x y", "-99"}));
}

struct Stopping : kw::Feedback {
    explicit Stopping(int after) : after(after) {}
    void progress(std::string_view, double fraction) override {
        EXPECT_GE(fraction, 0.0);
        EXPECT_LE(fraction, 1.0);
        ++reports;
    }
    bool cancelled() const override { return reports >= after; }
    int after;
    int reports = 0;
};

TEST(Workbook, ReadingAndBuildingTheTableCanBeCancelled) {
    for (const char* kind : {"xlsx", "ods"}) {
        Stopping atOnce(0);
        EXPECT_THROW(Workbook::load(dir + "books." + kind, &atOnce), kw::Cancelled);
        Stopping never(1 << 30);
        const Workbook book = Workbook::load(dir + "books." + kind, &never);
        EXPECT_GT(never.reports, 0);
        Stopping inTable(0);
        EXPECT_THROW(book.table({}, '.', &inTable), kw::Cancelled);
    }
}

// Under a locale with a decimal comma (the window sets the user's locale) the C library reads
// "4.17" as 4, which orcus' .ods reading would take over.
TEST(Workbook, NumbersReadTheSameUnderALocaleWithADecimalComma) {
    const std::filesystem::path locales =
        std::filesystem::temp_directory_path() / "kw-workbook-test-locales";
    std::filesystem::create_directories(locales);
    const std::string make =
        "localedef -i de_DE -f UTF-8 " + (locales / "de_DE.UTF-8").string() + " >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0 &&
        !std::filesystem::exists(locales / "de_DE.UTF-8" / "LC_NUMERIC")) {
        GTEST_SKIP() << "localedef cannot make de_DE.UTF-8 (package locales)";
    }
    setenv("LOCPATH", locales.c_str(), 1);
    const std::string before = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        unsetenv("LOCPATH");
        GTEST_SKIP() << "de_DE.UTF-8 cannot be set";
    }
    ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
    std::vector<std::string> weights;
    try {
        weights = column(kw::readWorkbookFile(dir + "books.ods", {}, '.'), 2);
    } catch (...) {
    }
    std::setlocale(LC_ALL, before.c_str());
    unsetenv("LOCPATH");
    EXPECT_EQ(weights, column(kw::readTextFile(dir + "books-data.txt"), 2));
}

} // namespace
