#include "core/io/delimitedtext.h"

#include "core/base/failure.h"
#include "core/io/textreader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using kw::DataTable;
using kw::ImportOptions;
using Rows = std::vector<std::vector<std::string>>;

const std::string dataDir = std::string(KW_IMPORT_DATA_DIR) + "/csv/";

// The names, then every case, as texts.
Rows rows(const DataTable& t) {
    Rows out{t.names()};
    for (int r = 1; r <= t.caseCount(); ++r) {
        std::vector<std::string> row;
        for (int c = 1; c <= t.variableCount(); ++c) {
            row.emplace_back(t.value(c, r));
        }
        out.push_back(std::move(row));
    }
    return out;
}

Rows read(const std::string& bytes, const ImportOptions& options = {}, char decimal = '.') {
    return rows(kw::readDelimitedData(bytes, options, decimal));
}

// The message of the kw::Failure that reading the bytes ends in.
std::string refusal(const std::string& bytes, const ImportOptions& options = {}) {
    try {
        kw::readDelimitedData(bytes, options, '.');
    } catch (const kw::Failure& f) {
        EXPECT_EQ(f.reason(), kw::Failure::Reason::badData);
        return f.message();
    }
    ADD_FAILURE() << "no kw::Failure";
    return {};
}

ImportOptions withDelimiter(char c) {
    ImportOptions o;
    o.delimiter = c;
    return o;
}

TEST(DelimitedText, FindsTheSeparatorThatSplitsEveryLineAlike) {
    const Rows expected{{"g", "x"}, {"a", "1"}, {"b", "2"}};
    for (const char* text :
         {"g\tx\na\t1\nb\t2\n", "g;x\na;1\nb;2\n", "g,x\na,1\nb,2\n", "g|x\na|1\nb|2\n"}) {
        EXPECT_EQ(read(text), expected) << text;
    }
    EXPECT_EQ(kw::detectTextFormat("g|x\na|1\n").delimiter, '|');
    // Several fit: tab before semicolon before comma.
    EXPECT_EQ(kw::detectTextFormat("a\tb;c,d\n1\t2;3,4\n").delimiter, '\t');
    EXPECT_EQ(kw::detectTextFormat("a;b,c\n1;2,3\n").delimiter, ';');
    // A separator in a quoted field does not count, one outside that splits lines unevenly
    // does not fit.
    EXPECT_EQ(kw::detectTextFormat("\"a;b\",c\n\"1;2\",3\n").delimiter, ',');
    EXPECT_EQ(kw::detectTextFormat("a;b\n1,5;2\n3;4,25\n").delimiter, ';');
}

TEST(DelimitedText, WithoutSeparatorEachLineIsOneField) {
    EXPECT_EQ(kw::detectTextFormat("score\n1.5\n2,5\n").delimiter, '\0');
    EXPECT_EQ(read("score\n1.5\nSmith, John\n"), (Rows{{"score"}, {"1.5"}, {"Smith, John"}}));
    // Names that a separator splits, lines that it splits otherwise: the line is named.
    EXPECT_EQ(refusal("a,b\n1,2\n3\n4,5\n"),
              "line 3 of the file holds 1 field, but the first line names 2 variables");
    EXPECT_EQ(read("x\n1|2\n", withDelimiter('\0')), (Rows{{"x"}, {"1|2"}}));
}

TEST(DelimitedText, NumbersWithTheFilesDecimalMarkGetTheProgramsMark) {
    const std::string semicolon = "x;y;z\n4,17;-1,5E3;a,b\n1.5;2;,5\n";
    EXPECT_EQ(kw::detectTextFormat(semicolon).decimal, ',');
    // Only the mark changes; texts that are no number in the file's mark stay as written.
    EXPECT_EQ(read(semicolon),
              (Rows{{"x", "y", "z"}, {"4.17", "-1.5E3", "a,b"}, {"1.5", "2", ".5"}}));
    EXPECT_EQ(read(semicolon, {}, ','),
              (Rows{{"x", "y", "z"}, {"4,17", "-1,5E3", "a,b"}, {"1.5", "2", ",5"}}));
    // A point file for a program with the decimal comma.
    EXPECT_EQ(read("x\ty\n4.17\t 2.50 \n", {}, ','), (Rows{{"x", "y"}, {"4,17", " 2,50 "}}));
    // The same mark: byte for byte, blanks and all.
    EXPECT_EQ(read("x\ty\n4.170\t 2.5 \n"), (Rows{{"x", "y"}, {"4.170", " 2.5 "}}));
    // More numbers with a point than with a comma: the point.
    EXPECT_EQ(kw::detectTextFormat("x;y\n1,5;2.5\n3.5;7\n").decimal, '.');
    // With the comma as separator the comma is no decimal mark, quoted or not.
    EXPECT_EQ(kw::detectTextFormat("x,y\n\"1,5\",\"2,5\"\n").decimal, '.');
    EXPECT_EQ(read("x,y\n\"1,5\",\"2,5\"\n"), (Rows{{"x", "y"}, {"1,5", "2,5"}}));
    ImportOptions comma;
    comma.decimal = ',';
    EXPECT_EQ(read("x,y\n\"1,5\",\"2,5\"\n", comma), (Rows{{"x", "y"}, {"1.5", "2.5"}}));
}

TEST(DelimitedText, QuotedFieldsHoldSeparatorsLineEndsAndQuotes) {
    const std::string text = "\"name a\",\"b\"\"\"\n"
                             "\"x,y\",\"say \"\"hi\"\"\"\n"
                             "\"two\r\nlines\",\"\"\n"
                             "  \"blanks\"  ,5\"\n"
                             "\"\"\"\",\"a\rb\"\n";
    EXPECT_EQ(read(text), (Rows{{"name a", "b\""},
                                {"x,y", "say \"hi\""},
                                {"two\r\nlines", "-99"},
                                {"blanks", "5\""},
                                {"\"", "a\rb"}}));
    // Blanks are separators themselves when the blank separates.
    EXPECT_EQ(read("a b\n\"x y\" 1\n", withDelimiter(' ')), (Rows{{"a", "b"}, {"x y", "1"}}));
}

TEST(DelimitedText, LinesEndWithLfCrLfOrCrAndBlankLinesAreSkipped) {
    const Rows expected{{"a", "b"}, {"1", "2"}, {"3", "4"}};
    for (const char* text : {"a,b\n1,2\n3,4\n", "a,b\r\n1,2\r\n3,4\r\n", "a,b\r1,2\r3,4\r",
                             "a,b\n1,2\r\n3,4", "\n\r\na,b\n\n  \n1,2\r\r3,4\n\n"}) {
        EXPECT_EQ(read(text), expected);
    }
    // Line numbers count physical lines, quoted line ends and skipped lines included.
    EXPECT_EQ(refusal("\na,b\r\n\"1\r\n\r\n\",2\r\n\r\n3\n"),
              "line 7 of the file holds 1 field, but the first line names 2 variables");
    EXPECT_EQ(refusal("a,b\r1,2\r\r3,4,5\r"),
              "line 4 of the file holds 3 fields, but the first line names 2 variables");
}

TEST(DelimitedText, DecodesMarkedUtf8AndUtf16) {
    const Rows expected{{"name", "v"}, {"Müller", "1.5"}};
    const std::string utf8 = "name;v\nM\xC3\xBCller;1,5\n";
    EXPECT_EQ(read(utf8), expected);
    EXPECT_EQ(read("\xEF\xBB\xBF" + utf8), expected);
    EXPECT_EQ(kw::detectTextFormat("\xEF\xBB\xBF" + utf8).encoding, "UTF-8");

    std::string le = "\xFF\xFE";
    std::string be = "\xFE\xFF";
    std::string unmarked;
    for (char32_t c : std::u32string(U"name;v\r\nM\u00FCller;1,5\r\n")) {
        le += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        be += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
    }
    unmarked = le.substr(2);
    EXPECT_EQ(kw::detectTextFormat(le).encoding, "UTF-16LE");
    EXPECT_EQ(kw::detectTextFormat(be).encoding, "UTF-16BE");
    EXPECT_EQ(kw::detectTextFormat(unmarked).encoding, "UTF-16LE");
    EXPECT_EQ(read(le), expected);
    EXPECT_EQ(read(be), expected);
    EXPECT_EQ(read(unmarked), expected);
    EXPECT_EQ(refusal(le + "x"),
              "line 3 of the file cannot be read as UTF-16LE: the file ends inside a character");
    // A user's encoding: the mark is not part of the names.
    ImportOptions named;
    named.encoding = "UTF-16LE";
    EXPECT_EQ(read(le, named), expected);
    named.encoding = "utf16";
    EXPECT_EQ(read(be, named), expected);
}

TEST(DelimitedText, TextThatIsNotUtf8IsWindows1252OrAsTheUserSays) {
    const std::string text = "name;v\nM\xFCller \x80;1\n";
    EXPECT_EQ(kw::detectTextFormat(text).encoding, "WINDOWS-1252");
    EXPECT_EQ(read(text), (Rows{{"name", "v"}, {"Müller €", "1"}}));
    // A single byte that is not UTF-8 anywhere in the file decides it.
    std::string late = "a,b\n";
    for (int i = 0; i < 5000; ++i) {
        late += "x,1\n";
    }
    EXPECT_EQ(read(late + "\xE9t\xE9,2\n").back(), (std::vector<std::string>{"été", "2"}));
    ImportOptions latin1;
    latin1.encoding = "ISO-8859-1";
    EXPECT_EQ(read("a\n\x80\n", latin1), (Rows{{"a"}, {"\xC2\x80"}}));

    ImportOptions utf8;
    utf8.encoding = "UTF-8";
    EXPECT_EQ(refusal("a,b\n1,2\r\n3,\xFC\n", utf8),
              "line 3 of the file cannot be read as UTF-8: byte 0xFC does not form a character");
    EXPECT_EQ(refusal("a\n\xC0\xAF\n", utf8), // an overlong '/'
              "line 2 of the file cannot be read as UTF-8: byte 0xC0 does not form a character");
    EXPECT_EQ(refusal("a\nb\n\x81\n"),
              "line 3 of the file cannot be read as WINDOWS-1252: byte 0x81 does not form a "
              "character");
    ImportOptions unknown;
    unknown.encoding = "KLINGON-8";
    EXPECT_EQ(refusal("a\n1\n", unknown), "the encoding 'KLINGON-8' is not known to the program");
}

TEST(DelimitedText, EmptyBlankAndDeclaredCellsGetTheMissingCode) {
    ImportOptions options;
    options.naCodes = {"NA", "."};
    EXPECT_EQ(read("a;b;c\n;  ;NA\n\"\";.;\" NA\"\n", options),
              (Rows{{"a", "b", "c"}, {"-99", "-99", "-99"}, {"-99", "-99", " NA"}}));
    options.missingCode = "-1";
    EXPECT_EQ(read("a,b\n,7\n", options), (Rows{{"a", "b"}, {"-1", "7"}}));
    options.missingCode = "";
    EXPECT_EQ(read("a,b\n,7\n", options), (Rows{{"a", "b"}, {"", "7"}}));
}

TEST(DelimitedText, WideLayoutThroughTheOptions) {
    ImportOptions options;
    options.wide = true;
    EXPECT_EQ(
        read("ctrl;dose a;\n4,5;5;7\n;6;\n", options),
        (Rows{
            {"group", "value"}, {"ctrl", "4.5"}, {"dose a", "5"}, {"dose a", "6"}, {"var3", "7"}}));
}

TEST(DelimitedText, RefusesMalformedTextNamingTheLine) {
    EXPECT_EQ(refusal("a,b\n1,2\n3,\"4\n5,6\n"),
              "line 3 of the file opens a quoted field that is not closed");
    EXPECT_EQ(refusal("\"a\n,b\n"), "line 1 of the file opens a quoted field that is not closed");
    EXPECT_EQ(refusal("a,b\n\"1\nx\"y,2\n"),
              "line 3 of the file holds text after the closing quote of a quoted field");
    EXPECT_EQ(refusal("a,b,c\n1,2,3\n1,2\n"),
              "line 3 of the file holds 2 fields, but the first line names 3 variables");
    EXPECT_EQ(refusal("a\n1\n2,3\n", withDelimiter(',')),
              "line 3 of the file holds 2 fields, but the first line names 1 variable");
    EXPECT_EQ(refusal(""), "the file is empty");
    EXPECT_EQ(refusal("\xEF\xBB\xBF\r\n  \n"), "the file is empty");
    EXPECT_EQ(refusal("a,b\n\n"), "the data holds no case below the variable names");
    // A separator after every field only on the data lines.
    EXPECT_EQ(refusal("a,b\n1,2,\n"),
              "line 2 of the file holds 3 fields, but the first line names 2 variables");
}

TEST(DelimitedText, ASeparatorEndingEveryLineAddsNoColumn) {
    EXPECT_EQ(read("a;b;\n1;2;\n3;4;\n"), (Rows{{"a", "b"}, {"1", "2"}, {"3", "4"}}));
    // Unless it holds values.
    EXPECT_EQ(read("a;b;\n1;2;x\n3;4;\n"),
              (Rows{{"a", "b", "var3"}, {"1", "2", "x"}, {"3", "4", "-99"}}));
}

TEST(DelimitedText, OptionsOverrideWhatIsDetected) {
    const std::string text = "a,b;c\n1,5;2\n";
    EXPECT_EQ(read(text), (Rows{{"a,b", "c"}, {"1.5", "2"}}));
    ImportOptions options = withDelimiter(',');
    EXPECT_EQ(read(text, options), (Rows{{"a", "b;c"}, {"1", "5;2"}}));
    options.decimal = '.';
    EXPECT_EQ(kw::resolveTextFormat(text, options).delimiter, ',');
    ImportOptions point;
    point.decimal = '.';
    EXPECT_EQ(read(text, point), (Rows{{"a,b", "c"}, {"1,5", "2"}}));
    EXPECT_EQ(kw::resolveTextFormat(text, point).decimal, '.');

    EXPECT_EQ(refusal("a\n1\n", withDelimiter('"')),
              "a double quote or a line end cannot be the separator");
    ImportOptions bad;
    bad.decimal = ';';
    EXPECT_EQ(refusal("a\n1\n", bad), "the decimal mark must be a point or a comma");
}

// Many lines of the same data: over 1 MiB, read in slices by the workers.
std::string largeText(const char* lineEnd, bool quoted) {
    std::string text = std::string("group;score") + lineEnd;
    for (int i = 0; i < 120000; ++i) {
        const std::string group = 'g' + std::to_string(i % 10 + 1);
        text += quoted && i == 60000 ? '"' + group + '"' : group;
        text += ';' + std::to_string(i % 1000) + ',' + std::to_string(i % 97);
        text += lineEnd;
        if (i % 5000 == 0) {
            text += lineEnd; // a blank line
        }
        if (i % 7000 == 0) {
            text += "NA;" + std::string(lineEnd);
        }
    }
    return text;
}

TEST(DelimitedText, SlicesReadByWorkersGiveTheSameTableAsOneReading) {
    ImportOptions options;
    options.naCodes = {"NA"};
    for (const char* lineEnd : {"\n", "\r\n", "\r"}) {
        const std::string parallel = largeText(lineEnd, false);
        ASSERT_GT(parallel.size(), std::size_t{1} << 20);
        const Rows table = read(parallel, options);
        EXPECT_EQ(table, read(largeText(lineEnd, true), options)) << "line end " << int(*lineEnd);
        EXPECT_EQ(table.size(), 1 + 120000 + 18);
        EXPECT_EQ(table[2], (std::vector<std::string>{"-99", "-99"}));
        EXPECT_EQ(table.back(), (std::vector<std::string>{"g10", "999.10"}));
    }
    // A bad line late in the file is named by its place in the whole file.
    std::string text = largeText("\r\n", false);
    const std::size_t lines = 1 + 120000 + 24 + 18;
    EXPECT_EQ(refusal(text + "x;1;2\r\n"),
              "line " + std::to_string(lines + 1) +
                  " of the file holds 3 fields, but the first line names 2 variables");
}

TEST(DelimitedText, CellsLongerThanAReferenceAreKept) {
    const std::string longCell(std::size_t{17} << 20, 'x');
    const Rows table = read("a,b\n1," + longCell + "\n2,y\n");
    EXPECT_EQ(table[1][1].size(), longCell.size());
    EXPECT_EQ(table[2], (std::vector<std::string>{"2", "y"}));
}

class Cancelling : public kw::Feedback {
public:
    bool cancelled() const override { return true; }
};

TEST(DelimitedText, StopsWhenAskedTo) {
    Cancelling feedback;
    EXPECT_THROW(kw::readDelimitedData(largeText("\n", false), {}, '.', &feedback), kw::Cancelled);
    EXPECT_THROW(kw::readDelimitedData(largeText("\n", true), {}, '.', &feedback), kw::Cancelled);
}

TEST(DelimitedText, FilesThatCannotBeRead) {
    const std::string missing = dataDir + "no-such-file.csv";
    try {
        kw::readDelimitedFile(missing, {}, '.');
        ADD_FAILURE() << "no kw::Failure";
    } catch (const kw::Failure& f) {
        EXPECT_EQ(f.reason(), kw::Failure::Reason::fileAccess);
        EXPECT_EQ(f.message(), "cannot read the file " + missing + ": No such file or directory");
    }
    try {
        kw::readDelimitedFile(dataDir, {}, '.');
        ADD_FAILURE() << "no kw::Failure";
    } catch (const kw::Failure& f) {
        EXPECT_EQ(f.reason(), kw::Failure::Reason::fileAccess);
    }
}

TEST(DelimitedText, PreviewShowsTheFirstRowsAsSplit) {
    const std::string text = "a;b\n1,5;\"x\ny\"\n2\n3;4;5\n6;7\n";
    EXPECT_EQ(kw::previewDelimited(text, {}, 4),
              (Rows{{"a", "b"}, {"1,5", "x\ny"}, {"2"}, {"3", "4", "5"}}));
    EXPECT_EQ(kw::previewDelimited(text, {}, 0), Rows{});
    // What can be split, up to a row that cannot be, or bytes that do not decode.
    EXPECT_EQ(kw::previewDelimited("a,b\n1,2\n\"3,4\n5,6\n", {}, 10),
              (Rows{{"a", "b"}, {"1", "2"}}));
    ImportOptions utf8;
    utf8.encoding = "UTF-8";
    EXPECT_EQ(kw::previewDelimited("a,b\n1,2\n3,\xFC\n", utf8, 10), (Rows{{"a", "b"}, {"1", "2"}}));
    ImportOptions unknown;
    unknown.encoding = "KLINGON-8";
    EXPECT_EQ(kw::previewDelimited("a,b\n", unknown, 10), Rows{});
    EXPECT_EQ(kw::previewDelimited("a,b\n", withDelimiter('\n'), 10), Rows{});

    // A huge file: only its start is looked at, the last line cut there left out.
    std::string huge = "a,b\n";
    while (huge.size() < (std::size_t{8} << 20)) {
        huge += "12345,67890\n";
    }
    const Rows many = kw::previewDelimited(huge, {}, 1000000);
    ASSERT_GT(many.size(), 1000u);
    EXPECT_LT(many.size(), 100000u);
    EXPECT_EQ(many.back(), (std::vector<std::string>{"12345", "67890"}));
    // A quote opened at the start and never closed costs no more than the start either.
    EXPECT_EQ(kw::previewDelimited("\"" + huge, {}, 10), Rows{});
    EXPECT_EQ(refusal("\"" + huge), "line 1 of the file opens a quoted field that is not closed");
}

// Each fixture of plain data as R or LibreOffice wrote it, against the same table written as
// the program's own text by the script beside them (Python's csv module reading the fixture).
TEST(DelimitedText, FilesOfOtherProgramsReadAsTheirTextTwins) {
    struct Case {
        const char* file;
        char delimiter;
        char decimal;
        const char* encoding;
        bool wide = false;
    };
    const Case cases[] = {
        {"r-plants.csv", ',', '.', "UTF-8"},
        {"r-plants-csv2.csv", ';', ',', "UTF-8"},
        {"r-plants.tsv", '\t', '.', "UTF-8"},
        {"r-plants-crlf.csv", ',', '.', "UTF-8"},
        {"r-plants-cr.csv", ',', '.', "UTF-8"},
        {"r-plants-utf16.csv", ',', '.', "UTF-16LE"},
        {"r-plants-utf16le.csv", ',', '.', "UTF-16LE"},
        {"r-wide.csv", ';', ',', "UTF-8", true},
        {"lo-plants.csv", ',', '.', "UTF-8"},
        {"lo-plants-semicolon.csv", ';', ',', "UTF-8"},
        {"lo-plants-utf16.tsv", '\t', ',', "UTF-16LE"},
        {"lo-plants-pipe-1252.csv", '|', ',', "UTF-8"}, // ASCII only: valid UTF-8 as well
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = dataDir + c.file;
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        const kw::TextFormat format = kw::detectTextFormat(bytes);
        EXPECT_EQ(format.delimiter, c.delimiter);
        EXPECT_EQ(format.decimal, c.decimal);
        EXPECT_EQ(format.encoding, c.encoding);
        ImportOptions options;
        options.naCodes = {"NA"};
        options.wide = c.wide;
        const std::string twin = path.substr(0, path.rfind('.')) + ".txt";
        EXPECT_EQ(rows(kw::readDelimitedFile(path, options, '.')), rows(kw::readTextFile(twin)));
        EXPECT_EQ(kw::previewDelimited(bytes, options, 2).size(), 2u);
    }
}

TEST(DelimitedText, TextsThatNeedQuotingFromOtherPrograms) {
    ImportOptions options;
    options.naCodes = {"NA"};
    EXPECT_EQ(rows(kw::readDelimitedFile(dataDir + "r-tricky-latin1.csv", options, '.')),
              (Rows{{"group", "dose mg"},
                    {"Müller, Ä", "1.5"},
                    {"trt \"A\"", "-99"},
                    {"two\nlines", "-0.25"},
                    {"plain", "1e-05"}}));
    const Rows german{{"group", "dose mg"},
                      {"Müller, Ä", "1.50"},
                      {"trt \"A\"", "-99"},
                      {"two\nlines", "-0.25"},
                      {"plain", "0.00"}};
    EXPECT_EQ(rows(kw::readDelimitedFile(dataDir + "lo-tricky-1252.csv", options, '.')), german);
    // Every text quoted, numbers with a decimal comma and the comma as separator: the mark is
    // the user's to say.
    options.decimal = ',';
    EXPECT_EQ(rows(kw::readDelimitedFile(dataDir + "lo-tricky-quoted.csv", options, '.')), german);
}

} // namespace
