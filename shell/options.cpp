// The command line: parsing, the help and version texts, and the pages as plain text.
#include "shell/options.h"

#include <cstdlib>
#include <cstring>

#include "shell/magazine/page_text.h"
#include "shell/magazine/shell_state.h"
#include "viewer/menus.h"
#include "viewer/viewer_state.h"

namespace {

constexpr const char* help_text =
    "Usage: kestravon [--window] [--text N|all] [--help] [--version]\n"
    "\n"
    "The Kestravon, issue 31: an intro, then the magazine. Full screen unless --window is given.\n"
    "\n"
    "Options:\n"
    "  --window        run in an 800 x 600 window (Alt+Enter switches at any time)\n"
    "  --text N        print page N (1-20) as plain text and end; --text all prints every page\n"
    "  --help          show this text and end\n"
    "  --version       show the version and end\n"
    "\n"
    "Keys in the intro:\n"
    "  F1 .. F12       switch the C64 tune\n"
    "  Escape, click   on to the magazine\n"
    "  M               music off / on\n"
    "\n"
    "Keys in the magazine:\n"
    "  Tab, Shift+Tab  move the highlight through the menu entries and side buttons\n"
    "  Enter, Space    use the highlighted entry or button\n"
    "  Up, Down, wheel scroll the text\n"
    "  Page Up, Page Down, Home, End\n"
    "                  page through the text, jump to its start or end\n"
    "  F1, F2          skin 'Grunge', skin 'Carbon'\n"
    "  M               music off / on (the tune keeps playing, silent)\n"
    "  Alt+Enter       full screen or a window\n"
    "  Escape          end the program\n";

// Page number 1..20 from text that is all digits; 0 otherwise.
int page_number(const char* text) {
    if (!text || !*text || std::strlen(text) > 3) return 0;
    for (const char* c = text; *c; ++c)
        if (*c < '0' || *c > '9') return 0;
    const int n = std::atoi(text);
    return n >= 1 && n <= content_last_page ? n : 0;
}

}  // namespace

bool parse_options(int argc, const char* const* argv, kestravon_options& options, std::string& error) {
    options = kestravon_options{};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i] ? argv[i] : "";
        if (arg == "--window") {
            options.windowed = 1;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--text" || arg.rfind("--text=", 0) == 0) {
            const bool joined = arg != "--text";
            if (!joined && i + 1 >= argc) {
                error = "--text needs a page number from 1 to 20, or 'all'";
                return false;
            }
            const std::string value = joined ? arg.substr(7) : std::string(argv[++i] ? argv[i] : "");
            if (value == "all") {
                options.text_page = -1;
            } else if (const int n = page_number(value.c_str())) {
                options.text_page = n;
            } else {
                error = "--text " + value + ": no such page (pages are 1 to 20, or 'all')";
                return false;
            }
        } else {
            error = "unknown option '" + arg + "' (kestravon --help lists the options)";
            return false;
        }
    }
    return true;
}

void print_help(std::FILE* out) { std::fputs(help_text, out); }

void print_version(std::FILE* out) { std::fprintf(out, "kestravon %s (The Kestravon, issue 31)\n", KESTRAVON_VERSION); }

void print_pages(int page, std::FILE* out) {
    if (page > 0) {
        std::fputs(page_plain_text(page).c_str(), out);
        return;
    }
    for (int p = 1; p <= content_last_page; ++p) {
        // The heading names the page as the menus do, without the menu's arrow.
        std::string name = viewer_state.menu_entry[static_cast<size_t>(p)];
        if (name.rfind("> ", 0) == 0) name.erase(0, 2);
        std::fprintf(out, "%s==== Page %d: %s ====\n", p > 1 ? "\n" : "", p, latin1_to_utf8(name).c_str());
        std::fputs(page_plain_text(p).c_str(), out);
    }
}
