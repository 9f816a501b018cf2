// The pages as a reader meets them: every word spelt, no stretch of placeholder emptiness, no padding
// copied from line to line, headings in capitals. (pagec keeps lines within 80 columns of printable
// ASCII, and the font suite gives every printable character a glyph in both faces.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

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

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Each line of every file in dir named <prefix>*<suffix>, in file order.
std::vector<source_line> lines_of_files(const char* dir, std::string_view prefix, std::string_view suffix) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::string name = entry.path().filename().string();
        if (name.starts_with(prefix) && name.ends_with(suffix)) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<source_line> out;
    for (const fs::path& path : files) {
        std::string text;
        EXPECT_TRUE(tool_read_text(path.c_str(), text)) << path;
        size_t pos = 0;
        std::string_view line;
        for (int n = 1; tool_next_line(text, pos, line); ++n) out.push_back({path.filename().string(), n, std::string(line)});
    }
    return out;
}

// The words of a line: runs of letters and inner apostrophes ("don't", "Velvetine's", not "'Grunge'").
std::vector<std::string> words_of(std::string_view text) {
    std::vector<std::string> out;
    auto letter = [&](size_t k) { return k < text.size() && std::isalpha(static_cast<unsigned char>(text[k])); };
    for (size_t i = 0, j; i < text.size(); i = j) {
        for (j = i; letter(j) || (j > i && text[j] == '\'' && letter(j + 1)); ++j) {}
        if (j > i) out.emplace_back(text.substr(i, j - i));
        j += j == i;
    }
    return out;
}

// The words hunspell's en_US dictionary does not know; false when hunspell cannot run.
bool unknown_to_hunspell(const std::set<std::string>& words, std::set<std::string>& unknown) {
    std::string list, path = testing::TempDir() + "kv_page_words.txt", output(1 << 20, '\0');
    for (const std::string& w : words) list += w + "\n";
    FILE* pipe = tool_write_output(path, list, "page_text_test") ? popen(("hunspell -d en_US -l < '" + path + "' 2>/dev/null").c_str(), "r") : nullptr;
    if (pipe == nullptr) return false;
    output.resize(fread(output.data(), 1, output.size(), pipe));
    if (pclose(pipe) != 0) return false;
    size_t pos = 0;
    for (std::string_view line; tool_next_line(output, pos, line);) {
        if (!tool_trim(line).empty()) unknown.emplace(tool_trim(line));
    }
    return true;
}

TEST(PageText, EveryWordIsInTheDictionaryOrOurOwnList) {
    // The hand-written pages and the ones the build generates; directives are not text ("@@" is '@').
    std::vector<source_line> lines;
    int pages = 0;
    for (const char* dir : {KV_PAGE_SOURCE_DIR, KV_PAGE_BUILD_DIR}) {
        for (source_line& l : lines_of_files(dir, "page", ".txt")) {
            pages += l.text.starts_with("@page ");
            if (l.text.starts_with("@") && !l.text.starts_with("@@")) continue;
            if (l.text.starts_with("@@")) l.text.erase(0, 1);
            lines.push_back(l);
        }
    }
    EXPECT_EQ(pages, 20) << "every page is read";
    std::set<std::string> own, candidates, unknown;
    for (const source_line& l : lines_of_files(KV_PAGE_SOURCE_DIR, "words", ".txt")) {
        std::string_view word = tool_trim(l.text);
        if (!word.empty() && word[0] != '#') own.insert(lower(word));
    }
    EXPECT_FALSE(own.empty()) << "no words*.txt in " << KV_PAGE_SOURCE_DIR;
    for (const source_line& l : lines) {
        for (const std::string& w : words_of(l.text)) candidates.insert(w);
    }
    ASSERT_TRUE(unknown_to_hunspell(candidates, unknown)) << "hunspell with the en_US dictionary is needed (scripts/deps.sh installs it)";
    auto spelt = [&](const std::string& w) {
        std::string l = lower(w);
        return unknown.count(w) == 0 || own.count(l) != 0 || (l.ends_with("'s") && own.count(l.substr(0, l.size() - 2)) != 0);
    };
    // One report per misspelt word, at its first use, so a name spelt wrong throughout reads as one fault.
    std::map<std::string, std::pair<std::string, int>> misspelt;  // word -> where first used, uses
    for (const source_line& l : lines) {
        for (const std::string& w : words_of(l.text)) {
            if (!spelt(w)) ++misspelt.try_emplace(w, l.file + ":" + std::to_string(l.line), 0).first->second.second;
        }
    }
    for (const auto& [w, at] : misspelt) {
        ADD_FAILURE() << at.first << ": '" << w << "' is misspelt" << (at.second > 1 ? " (used " + std::to_string(at.second) + " times)" : "");
    }
}

TEST(PageText, NoPlaceholderStretchesNoCopiedLinesAndCapitalHeadings) {
    // An empty line has no text and no bar: pages are spaced with single empty lines, never padded.
    // A copied line is one of 20 characters or more seen before; lines without letters (table rules)
    // and text over a bar (table headers) repeat on purpose.
    std::map<std::string, std::pair<int, int>> first_seen;
    for (int p = 1; p <= 20; ++p) {
        const page_source& page = page_sources[p];
        int shown = 0, empty = 0, run = 0;  // lines the reader can reach: those before "<END>"
        while (shown < page.line_count && !std::string_view(page.lines[shown].text).starts_with("<END>")) ++shown;
        for (int n = 0; n < shown; ++n) {
            const page_source_line& l = page.lines[n];
            std::string text(tool_trim(l.text));
            const bool is_empty = text.empty() && l.rule_code[0] == '0';
            empty += is_empty;
            run = is_empty ? run + 1 : 0;
            if (run == 4) ADD_FAILURE() << "page " << p << " line " << n << ": more than 3 empty lines in a row";
            const bool heading = std::string_view(l.style_map).find('2') != std::string_view::npos;
            if (heading && std::any_of(text.begin(), text.end(), [](char c) { return std::islower(static_cast<unsigned char>(c)); })) {
                ADD_FAILURE() << "page " << p << " line " << n << ": a heading in lower case";
            }
            if (text.size() < 20 || l.rule_code[0] != '0' || std::none_of(text.begin(), text.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); })) {
                continue;
            }
            auto [at, fresh] = first_seen.emplace(text, std::pair{p, n});
            if (!fresh) ADD_FAILURE() << "page " << p << " line " << n << " repeats page " << at->second.first << " line " << at->second.second << ": " << text;
        }
        if (empty * 100 > shown * 35) ADD_FAILURE() << "page " << p << ": " << empty << " of " << shown << " lines empty (at most 35% may be)";
    }
}

}  // namespace
