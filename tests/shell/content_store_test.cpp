// load_page and the page tables: end lines, unpacking of the maps, and bounds.

#include "tests/shell/magazine_fixture.h"

namespace {
std::string repeat(char c, size_t n = 80) { return std::string(n, c); }
}  // namespace

TEST(LoadPage, EndLineComesFromTheLastMarkerOrIs4999WithoutOne) {
    fixture_pages pages;
    pages.add_page(4, 1391);
    for (int i = 0; i < 276; ++i) pages.add(18, "text");
    pages.add(18, "<END>");
    pages.add(18, "after the end one");
    pages.add(18, "after the end two");
    for (int i = 0; i < 293; ++i) pages.add(19, "no end mark");
    pages.add(7, "a");
    pages.add(7, "<END> first");
    pages.add(7, "b");
    pages.add(7, "<END>");
    create_content_tables();
    fill_page_tables(pages.finish());

    // {page, end line}: the last marker counts, lines past it are unpacked though never shown, the
    // marker's own line keeps what the previous page left there and the other lines are emptied.
    const std::tuple<int, int, int, char> pages_in_turn[] = {{4, 1391, 0, 'l'},  {18, 276, 277, 'a'},
                                                             {19, 4999, 0, 'n'}, {7, 3, 1, 'n'},
                                                             {7, 3, 100, 0},     {20, 4999, 0, 0}};
    for (const auto& [page, end, line, first] : pages_in_turn) {
        load_page(page);
        EXPECT_EQ(shell_state.end_line, end) << page;
        EXPECT_EQ(view_char(line, 1), first) << page << " line " << line;
    }
}

TEST(LoadPage, UnpacksTextTintsStylesAndRulesColumnByColumn) {
    fixture_pages pages;
    std::string text = "X" + repeat('-', 79) + "Z";  // 81 characters: the last one is never shown
    std::string colours = "19AV " + repeat('a', 74) + "W";
    std::string styles = "21" + repeat('2', 77) + "";  // 79 characters: column 80 gets style 0
    pages.add(1, text, colours, styles, "8");
    pages.add(1, "short", repeat('E'), repeat('1'), "");
    pages.add(1, "<END>");
    create_content_tables();
    fill_page_tables(pages.finish());
    load_page(1);

    // {column, char, tint, style} of line 0: column 0 is empty; '1', '9', 'A', 'V' are tints 1, 9, 10, 31;
    // a space, lower case and 'W' (past 'V') read as 1; column 80 has no style character.
    const std::tuple<int, int, int, int> line0[] = {{0, 0, 1, 0},    {1, 'X', 1, 2},  {2, '-', 9, 1},
                                                    {3, '-', 10, 2}, {4, '-', 31, 2}, {5, '-', 1, 2},
                                                    {6, '-', 1, 2},  {80, '-', 1, 0}};
    for (auto [col, ch, tint, style] : line0)
        EXPECT_EQ(std::tuple(int{view_char(0, col)}, int{view_tint(0, col)}, int{view_style(0, col)}),
                  std::tuple(ch, tint, style))
            << col;
    EXPECT_EQ(view_rule_style(0), 8);
    EXPECT_EQ(view_char(1, 5), 't');
    EXPECT_EQ(view_char(1, 6), 0);
    EXPECT_EQ(view_tint(1, 40), 14);
    EXPECT_EQ(view_rule(1), 0);  // an empty code is not "0"
    EXPECT_EQ(view_rule_style(1), 0);
}

TEST(PageTables, FillingKeepsAtMost5001Lines) {
    fixture_pages pages;
    for (int i = 0; i < 5100; ++i) pages.add(3, "x");
    create_content_tables();
    fill_page_tables(pages.finish());
    EXPECT_EQ(content_store.pages[3].size(), 5001u);
    EXPECT_EQ(page_table_cell(5000, 3).text, "x");
    for (auto [line, page] : {std::pair{5001, 3}, std::pair{0, 21}, std::pair{-1, 3}})
        EXPECT_TRUE(page_table_cell(line, page).text.empty()) << line << " " << page;
}
