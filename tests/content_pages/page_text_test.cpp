// The pages as a reader meets them: every word spelt, no stretch of placeholder emptiness, no padding
// copied from line to line, every character inside 80 columns and drawn by the font.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "content/fonts/text_font.h"
#include "content/pages/page_data.h"
#include "tools/toolkit/tool_io.h"
#include "tools/toolkit/tool_text.h"

namespace {

namespace fs = std::filesystem;

// One text line of a page source file, with where it stands.
struct source_line {
    std::string file;
    int line = 0;
    std::string text;
};

// s in lower case (the word lists match in any case).
std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The files of dir named <prefix>...<suffix>, sorted; none when dir cannot be read.
std::vector<fs::path> files_matching(const char* dir, std::string_view prefix, std::string_view suffix) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        std::string name = entry.path().filename().string();
        if (name.size() >= prefix.size() + suffix.size() && name.starts_with(prefix) && name.ends_with(suffix)) {
            out.push_back(entry.path());
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The text lines of every page source: the hand-written pages and the ones the build generates.
// pages_seen collects the numbers of the '@page' lines, so a missing page source shows.
std::vector<source_line> page_text_lines(std::set<int>& pages_seen) {
    std::vector<source_line> out;
    for (const char* dir : {KV_PAGE_SOURCE_DIR, KV_PAGE_BUILD_DIR}) {
        for (const fs::path& path : files_matching(dir, "page", ".txt")) {
            std::string text;
            EXPECT_TRUE(tool_read_text(path.c_str(), text)) << path;
            size_t pos = 0;
            std::string_view line;
            for (int n = 1; tool_next_line(text, pos, line); ++n) {
                if (line.starts_with("@page ")) pages_seen.insert(std::atoi(std::string(line.substr(6)).c_str()));
                if (line.starts_with("@") && !line.starts_with("@@")) continue;
                out.push_back({path.filename().string(), n, std::string(line.starts_with("@@") ? line.substr(1) : line)});
            }
        }
    }
    return out;
}

// The words of a line: runs of letters and inner apostrophes ("don't", "Velvetine's", not "'Grunge'").
std::vector<std::string> words_of(std::string_view text) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < text.size()) {
        if (!std::isalpha(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < text.size() && (std::isalpha(static_cast<unsigned char>(text[j])) ||
                                   (text[j] == '\'' && j + 1 < text.size() &&
                                    std::isalpha(static_cast<unsigned char>(text[j + 1]))))) {
            ++j;
        }
        out.emplace_back(text.substr(i, j - i));
        i = j;
    }
    return out;
}

// The project's own words (invented names and terms), from every content/pages/words*.txt, lower case.
std::set<std::string> own_words() {
    std::set<std::string> out;
    std::vector<fs::path> lists = files_matching(KV_PAGE_SOURCE_DIR, "words", ".txt");
    EXPECT_FALSE(lists.empty()) << "no words*.txt in " << KV_PAGE_SOURCE_DIR;
    for (const fs::path& path : lists) {
        std::string text;
        EXPECT_TRUE(tool_read_text(path.c_str(), text)) << path;
        size_t pos = 0;
        std::string_view line;
        while (tool_next_line(text, pos, line)) {
            std::string_view word = tool_trim(line);
            if (!word.empty() && word[0] != '#') out.insert(lower(word));
        }
    }
    return out;
}

// The words of the list that hunspell's en_US dictionary does not know; false when hunspell cannot run.
bool unknown_to_hunspell(const std::set<std::string>& words, std::set<std::string>& unknown) {
    std::string list;
    for (const std::string& w : words) list += w + "\n";
    std::string path = testing::TempDir() + "kv_page_words.txt";
    if (!tool_write_output(path, list, "page_text_test")) return false;
    std::string command = "hunspell -d en_US -l < '" + path + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return false;
    std::string output;
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
    int status = pclose(pipe);
    std::remove(path.c_str());
    if (status != 0) return false;
    size_t pos = 0;
    std::string_view line;
    while (tool_next_line(output, pos, line)) {
        if (!tool_trim(line).empty()) unknown.emplace(tool_trim(line));
    }
    return true;
}

// True for a line of spaces only.
bool blank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

// Lines the reader can reach: up to the "<END>" line, or every filled line of a page without one.
int shown_lines(const page_source& page) {
    for (int n = 0; n < page.line_count; ++n) {
        if (std::string_view(page.lines[n].text).starts_with("<END>")) return n;
    }
    return page.line_count;
}

// Inked pixels of a character's glyph in the reading ('1') or heading ('2') face of the built font.
int glyph_ink(unsigned char code, char style) {
    int ink = 0;
    for (int r = 0; r < 12; ++r) {
        for (int k = 0; k < 9; ++k) {
            size_t row = static_cast<size_t>((style == '2' ? 14 : 0) + r);
            ink += text_font_data[row * text_font_sheet_width + static_cast<size_t>((code - 32) * 9 + 1 + k)] != 0;
        }
    }
    return ink;
}

TEST(PageText, EveryWordIsInTheDictionaryOrOurOwnList) {
    std::set<int> pages_seen;
    std::vector<source_line> lines = page_text_lines(pages_seen);
    EXPECT_EQ(pages_seen.size(), 20u) << "every page 1..20 has a source";
    std::set<std::string> own = own_words();
    std::set<std::string> candidates;
    for (const source_line& l : lines) {
        for (const std::string& w : words_of(l.text)) candidates.insert(w);
    }
    std::set<std::string> unknown;
    ASSERT_TRUE(unknown_to_hunspell(candidates, unknown))
        << "hunspell with the en_US dictionary is needed (scripts/deps.sh installs it)";
    auto spelt = [&](const std::string& w) {
        if (unknown.count(w) == 0) return true;
        std::string l = lower(w);
        if (own.count(l) != 0) return true;
        return l.ends_with("'s") && own.count(l.substr(0, l.size() - 2)) != 0;
    };
    // One report per misspelt word, at its first use, so a name spelt wrong throughout reads as one fault.
    std::map<std::string, std::pair<const source_line*, int>> misspelt;
    std::vector<std::string> order;
    for (const source_line& l : lines) {
        for (const std::string& w : words_of(l.text)) {
            if (spelt(w)) continue;
            auto [at, fresh] = misspelt.emplace(w, std::pair{&l, 0});
            if (fresh) order.push_back(w);
            ++at->second.second;
        }
    }
    for (const std::string& w : order) {
        const auto& [l, uses] = misspelt[w];
        ADD_FAILURE() << l->file << ":" << l->line << ": '" << w << "' is misspelt"
                      << (uses > 1 ? " (used " + std::to_string(uses) + " times)" : "");
    }
}

TEST(PageText, NoPlaceholderStretchesOfEmptyLines) {
    // An empty line has no text and no bar. Pages are spaced with single empty lines, never padded.
    for (int p = 1; p <= 20; ++p) {
        const page_source& page = page_sources[p];
        int shown = shown_lines(page), empty = 0, run = 0;
        for (int n = 0; n < shown; ++n) {
            const page_source_line& l = page.lines[n];
            bool is_empty = blank(l.text) && l.rule_code[0] == '0';
            empty += is_empty;
            run = is_empty ? run + 1 : 0;
            if (run == 4) ADD_FAILURE() << "page " << p << " line " << n << ": more than 3 empty lines in a row";
        }
        if (empty * 100 > shown * 35) {
            ADD_FAILURE() << "page " << p << ": " << empty << " of " << shown << " lines empty (at most 35% may be)";
        }
    }
}

TEST(PageText, NoTextLineIsCopied) {
    // Exceptions: lines without letters (table rules such as dashes) and text drawn over a bar (table
    // headers), which repeat on purpose wherever the same kind of table stands.
    std::map<std::string, std::pair<int, int>> first_seen;
    for (int p = 1; p <= 20; ++p) {
        const page_source& page = page_sources[p];
        for (int n = 0; n < shown_lines(page); ++n) {
            const page_source_line& l = page.lines[n];
            std::string text(tool_trim(l.text));
            if (text.size() < 20 || l.rule_code[0] != '0') continue;
            if (std::none_of(text.begin(), text.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); })) {
                continue;
            }
            auto [at, fresh] = first_seen.emplace(text, std::pair{p, n});
            if (!fresh) {
                ADD_FAILURE() << "page " << p << " line " << n << " repeats page " << at->second.first << " line "
                              << at->second.second << ": " << text;
            }
        }
    }
}

TEST(PageText, EveryCharacterFitsTheWindowAndHasAGlyph) {
    for (int p = 1; p <= 20; ++p) {
        const page_source& page = page_sources[p];
        for (int n = 0; n < page.line_count; ++n) {
            std::string_view text = page.lines[n].text;
            size_t end = text.find_last_not_of(' ');
            size_t used = end == std::string_view::npos ? 0 : end + 1;
            EXPECT_LE(used, 80u) << "page " << p << " line " << n;
            for (size_t k = 0; k < used && k < 80; ++k) {
                auto c = static_cast<unsigned char>(text[k]);
                char style = page.lines[n].style_map[k];
                bool drawn = c == ' ' || (c > 32 && c < 127 && glyph_ink(c, style) > 0);
                if (!drawn) ADD_FAILURE() << "page " << p << " line " << n << " column " << k + 1 << ": code " << int{c};
            }
        }
    }
}

}  // namespace
