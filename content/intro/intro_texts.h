// The intro's words: the nine title lines, the pieces of the scroll text and the names they credit.
#pragma once
#include <array>

#include "content/issue/issue_names.h"

// Title lines 1 to 9 (entry 0 unused); lower case is drawn with the upper-case glyphs.
constexpr std::array<const char*, 10> intro_line_texts = {
    "",
    "***********************",
    "*THE KESTRAVON*",
    "***********************",
    "",
    "issue number 31",
    "Released on",
    "17-06-2009",
    "",
    "= TRY F1 TO F12 =",
};

// Names this issue credits in the scroll text (fictional people). The scroll text must stay upper case:
// a lower-case "a" there is the pause marker.
constexpr const char* intro_composer = "MIKA SOLLENTHAL";
constexpr const char* intro_programmer = "RUNE ASKVELD";
constexpr const char* intro_replay_author = "ODA FENSTRUP";

// Spaces in front of the scroll text, so that it enters from the right edge.
constexpr int intro_scroll_lead = 66;

// The scroll text's pieces in order. An entry of nullptr stands for a name slot, filled in by
// build_intro_texts in the order: title, composer, group 1, group 2, composer, programmer, replay author.
// A piece starting with "a" pauses the scroller when it reaches the left edge.
constexpr std::array<const char*, 24> intro_scroll_pieces = {
    "a     ** WELCOME **        ---------------------------------------------- ",
    nullptr,  // a   THE KESTRAVON - ISSUE 31
    " ------------------ RELEASED BY THE KESTRAVON STAFF ON 17 JUNE 2009!! ------------------ ",
    "THIS TIME IS LIKE NO OTHER TIME IN THE CHARTS WHOLE EXISTENCE! ",
    "   THIS TIME IT'S SO MUCH MORE THAN NORMALLY :)    ",
    "1. THIS LOVELY INTRO!    ",
    nullptr,  // 2. TWELVE CLASSIC SID TUNES BY the composer
    "3. INTERVIEWS WITH:         ",
    nullptr,  // a group 1
    "          AND             ",
    nullptr,  // a group 2
    "4. THREE ARTICLES!        ",
    "5. ALLWAYS THE BEST IN SCENE STATS!        ",
    "6. FOUR HANDPICKED TUNES FOR YOU!         ",
    "7. TWO SKINS TO CHOOSE FROM             ",
    "AND SO MUCH MORE............              ",
    "INTRO CREDITS ----- MUSIC BY: ",
    nullptr,  // a composer
    "PROGRAMMING BY: ",
    nullptr,  // a programmer
    "SID REPLAY ROUTINE BY: ",
    nullptr,  // a replay author
    " PLEASE PRESS THE -LEFT MOUSE- BUTTON OR -ESCAPE- TO BEGIN   ----   WE HOPE YOU ENJOY IT   ",
    "   *******************************************************",
};
