#include "core/data/datatable.h"
#include "core/data/textstore.h"
#include "core/io/textreader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

using kw::CellRef;
using kw::DataTable;
using kw::TextStore;

std::vector<std::string> columntexts(const kw::ColumnView& c) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < c.size(); ++i) {
        out.emplace_back(c[i]);
    }
    return out;
}

using Texts = std::vector<std::string>;

TEST(TextStore, BaseRunsAndAddedTexts) {
    TextStore store(std::string("alpha beta\0gamma", 16));
    const CellRef beta = store.refer(6, 5);
    EXPECT_EQ(store.view(beta), std::string_view("beta\0", 5));
    // Runs of the base are not copied.
    EXPECT_EQ(store.view(beta).data(), store.base().data() + 6);
    EXPECT_TRUE(store.view(store.refer(3, 0)).empty());
    EXPECT_TRUE(store.view(store.add("")).empty());
    EXPECT_TRUE(store.view(CellRef{}).empty());
    EXPECT_EQ(store.view(store.add("delta")), "delta");
    TextStore empty;
    EXPECT_EQ(empty.view(empty.add("x")), "x");
}

TEST(TextStore, ViewsStayValidWhileTextsAreAdded) {
    TextStore store("base");
    const CellRef first = store.add("first");
    const std::string_view view = store.view(first);
    std::vector<CellRef> added;
    for (int i = 0; i < 50000; ++i) {
        added.push_back(store.add(std::to_string(i)));
    }
    // A text larger than a chunk, then small ones again.
    const std::string big(200000, 'b');
    const CellRef bigref = store.add(big);
    const CellRef after = store.add("after");
    EXPECT_EQ(view, "first");
    EXPECT_EQ(store.view(first).data(), view.data());
    for (int i = 0; i < 50000; ++i) {
        ASSERT_EQ(store.view(added[static_cast<std::size_t>(i)]), std::to_string(i));
    }
    EXPECT_EQ(store.view(bigref), big);
    EXPECT_EQ(store.view(after), "after");
}

TEST(TextStore, TextsAroundTheLengthFieldLimit) {
    constexpr std::size_t limit = (std::size_t{1} << 24) - 1;
    std::string base(limit + 20, 'x');
    base[0] = 'A';
    base[limit + 5] = 'Z';
    TextStore store(base);
    for (std::size_t n : {limit - 1, limit, limit + 1, limit + 6}) {
        const CellRef ref = store.refer(0, n);
        const std::string_view v = store.view(ref);
        ASSERT_EQ(v.size(), n);
        EXPECT_EQ(v, std::string_view(base).substr(0, n));
    }
    EXPECT_EQ(store.view(store.refer(limit + 5, 10)), std::string_view(base).substr(limit + 5, 10));
    for (std::size_t n : {limit - 1, limit, limit + 1}) {
        std::string text(n, 'y');
        text.back() = 'E';
        const CellRef ref = store.add(text);
        const CellRef small = store.add("small");
        ASSERT_EQ(store.view(ref).size(), n);
        EXPECT_EQ(store.view(ref), text);
        EXPECT_EQ(store.view(small), "small");
    }
}

TEST(DataTable, EmptyAndBlankTables) {
    const DataTable none;
    EXPECT_EQ(none.variableCount(), 0);
    EXPECT_EQ(none.caseCount(), 0);
    EXPECT_EQ(none.cell(0, 0), "no data");
    EXPECT_EQ(none.cell(1, 1), "");
    EXPECT_EQ(kw::ColumnView().size(), 0u);

    DataTable blank = DataTable::blank({"var1", "var2", "var3"}, 2);
    EXPECT_EQ(blank.cell(0, 0), "input");
    EXPECT_EQ(blank.cell(3, 0), "var3");
    EXPECT_EQ(blank.cell(0, 2), "2");
    EXPECT_EQ(blank.value(2, 2), "");
    EXPECT_EQ(blank.cell(4, 1), "");
    EXPECT_EQ(blank.cell(1, 3), "");
    EXPECT_EQ(blank.cell(-1, 0), "");
    EXPECT_EQ(blank.cell(0, -1), "");
    blank.setLabel("typed");
    EXPECT_EQ(blank.cell(0, 0), "typed");
}

TEST(DataTable, EditsLeaveEarlierViewsAndCopiesAlone) {
    DataTable t = kw::readTextData("g x\r\n1 10\r\n2 20\r\n3 30\r\n");
    const kw::ColumnView before = t.column(2);
    const DataTable copy = t;
    t.setValue(2, 2, "twenty");
    t.setValue(1, 3, "");
    EXPECT_EQ(t.value(2, 2), "twenty");
    EXPECT_EQ(t.cell(1, 3), "");
    EXPECT_EQ(t.value(2, 1), "10");
    EXPECT_EQ(columntexts(t.column(2)), (Texts{"10", "twenty", "30"}));
    EXPECT_EQ(columntexts(before), (Texts{"10", "20", "30"}));
    EXPECT_EQ(copy.value(2, 2), "20");
    EXPECT_EQ(copy.value(1, 3), "3");
    // Editing again, with no view held, still changes only the table.
    t.setValue(2, 2, "again");
    EXPECT_EQ(t.value(2, 2), "again");
    EXPECT_EQ(copy.value(2, 2), "20");
}

TEST(DataTable, PermuteMovesWholeCasesAndKeepsCaseNumbers) {
    DataTable t = kw::readTextData("g x\r\na 1\r\nb 2\r\nc 3\r\nd 4\r\n");
    const std::vector<std::uint32_t> order{2, 0, 3, 1};
    const kw::ColumnView before = t.column(1);
    // A copy that is reordered (as the analysis reorders its copy) leaves the original alone.
    DataTable copy = t;
    copy.permute(order);
    EXPECT_EQ(columntexts(copy.column(2)), (Texts{"3", "1", "4", "2"}));
    EXPECT_EQ(columntexts(t.column(2)), (Texts{"1", "2", "3", "4"}));
    t.permute(order);
    EXPECT_EQ(columntexts(t.column(1)), (Texts{"c", "a", "d", "b"}));
    EXPECT_EQ(columntexts(t.column(2)), (Texts{"3", "1", "4", "2"}));
    for (int r = 1; r <= 4; ++r) {
        EXPECT_EQ(t.cell(0, r), std::to_string(r));
    }
    EXPECT_EQ(columntexts(before), (Texts{"a", "b", "c", "d"}));
    // An edit after the reorder lands on the reordered row.
    t.setValue(1, 1, "C");
    EXPECT_EQ(columntexts(t.column(1)), (Texts{"C", "a", "d", "b"}));
    EXPECT_EQ(columntexts(before), (Texts{"a", "b", "c", "d"}));
}

} // namespace
