// The magazine's pages as compiled from the page sources: for each page its lines in fill order, each
// with its text, colour map, style map and rule code.
#pragma once

struct page_source_line {
    const char* text;        // up to 81 characters; a line beginning "<END>" ends its page
    const char* colour_map;  // 80 characters of the colour-map alphabet
    const char* style_map;   // 80 characters, each '1' or '2'
    const char* rule_code;   // one character, '0' to '8'
};

struct page_source {
    const page_source_line* lines;
    int line_count;
};

// Pages 1 to 20; entry 0 is empty. Generated at build time.
extern const page_source page_sources[21];
