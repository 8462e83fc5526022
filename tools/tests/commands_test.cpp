// The subcommands of zolvik-sim as a user calls them, and what each makes
// of bad input: one line on stderr, status 1, nothing on stdout.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tools/zolvik_sim/commands.h"

namespace {

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result Tool(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    int status = RunTool(args, out, err);
    return {status, out.str(), err.str()};
}

std::string WriteFile(const std::string& name, const std::string& bytes) {
    std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(CommandsTest, Outputs) {
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    const Case cases[] = {
        {{"name", "AltGr+E"}, "00080045\n"},
        {{"name", "Ctrl+Shift+F5"}, "00030074\n"},
        {{"name", "--umlaut", "CapsLock+Shift+\xC3\x84"}, "001100DE\n"},
        {{"name", "CapsLock+Shift+\xC3\x84"}, "000100DE\n"},
        {{"expand", "a$$b$41$zz!Gr$FC$DFe\\$0D"}, "a$bA!Gr\\xFC\\xDFe\\\\\\x0D\n"},
        {{"expand", "50$"}, "50$\n"},
        {{"expand", "--", "--$41"}, "--A\n"},
        {{"format", "dd.mm.yyyy"}, "07.12.2026\n"},
        {{"format", ""}, "07.12.2026 14:05:09\n"},
        {{"format", "dddd, d. mmmm yyyy", "--at", "2024-02-29"}, "Donnerstag, 29. Februar 2024\n"},
        {{"format", "hh AM/PM", "--at", "2026-12-07T00:30"}, "12 AM\n"},
        {{"format", "hh:nn:ss.zzz", "--at", "2026-12-07T23:59:58.007"}, "23:59:58.007\n"},
        {{"format", "c", "--locale", "en-US", "--at", "2026-12-07T14:05"}, "12/7/2026 2:05:00 PM\n"},
        {{"format", "'Stand:' mmm \xE2\x82\xAC"}, "Stand: Dez \xE2\x82\xAC\n"},
        {{"type", "a"},
         "release VK_MENU\nrelease VK_CONTROL\nrelease VK_SHIFT\npress 0x41 'A'\nrelease 0x41 'A'\n"
         "received: \"a\"\n"},
        {{"type", "#", "--layout", "us"},
         "release VK_MENU\nrelease VK_CONTROL\nrelease VK_SHIFT\npress VK_SHIFT\npress 0x33 '3'\n"
         "release 0x33 '3'\nrelease VK_SHIFT\nreceived: \"#\"\n"},
        {{"type", "#"},
         "release VK_MENU\nrelease VK_CONTROL\nrelease VK_SHIFT\npress VK_OEM_2\nrelease VK_OEM_2\n"
         "received: \"#\"\n"},
        {{"type", "--expand", "$FF$81$09"},
         "release VK_MENU\nrelease VK_CONTROL\nrelease VK_SHIFT\npress VK_SHIFT\npress VK_TAB\n"
         "release VK_TAB\nrelease VK_SHIFT\nreceived: \"\\t\"\n"},
        {{"type", "\xC3\xA4", "--layout", "us", "--platform", "9x"},
         "release VK_MENU\nrelease VK_CONTROL\nrelease VK_SHIFT\npress VK_MENU\n"
         "press VK_NUMPAD0\nrelease VK_NUMPAD0\npress VK_NUMPAD2\nrelease VK_NUMPAD2\n"
         "press VK_NUMPAD2\nrelease VK_NUMPAD2\npress VK_NUMPAD8\nrelease VK_NUMPAD8\n"
         "release VK_MENU\nreceived: \"\xC3\xA4\"\n"},
        {{"type", "@"},
         "release VK_MENU\nrelease VK_CONTROL\nrelease VK_SHIFT\npress VK_CONTROL\npress VK_MENU\n"
         "press 0x51 'Q'\nrelease 0x51 'Q'\nrelease VK_CONTROL\nrelease VK_MENU\nreceived: \"@\"\n"},
        {{"type", "\xC5\x82\xF0\x9F\x98\x80"},
         "release VK_MENU\nrelease VK_CONTROL\nrelease VK_SHIFT\npress 0xE7 U+0142 '\xC5\x82'\n"
         "release 0xE7 U+0142 '\xC5\x82'\npress 0xE7 U+D83D\nrelease 0xE7 U+D83D\npress 0xE7 U+DE00\n"
         "release 0xE7 U+DE00\nreceived: \"\xC5\x82\xF0\x9F\x98\x80\"\n"},
    };
    for (const Case& c : cases) {
        Result result = Tool(c.args);
        EXPECT_EQ(result.status, 0) << c.args[1] << ": " << result.err;
        EXPECT_EQ(result.out, c.out) << c.args[0] << " " << c.args[1];
        EXPECT_EQ(result.err, "");
    }
}

TEST(CommandsTest, HelpCoversEveryCommand) {
    Result all = Tool({"help"});
    EXPECT_EQ(all.status, 0);
    for (const char* topic : {"name", "expand", "format", "type", "run", "script", "keys"}) {
        Result one = Tool({"help", topic});
        EXPECT_EQ(one.status, 0) << topic;
        EXPECT_NE(all.out.find(one.out), std::string::npos) << topic << " is part of the whole help";
    }
    EXPECT_NE(all.out.find("zolvik-sim run [--reg FILE.reg ...]"), std::string::npos);
}

TEST(CommandsTest, BadInput) {
    std::string badReg = WriteFile("bad.reg", "REGEDIT4\r\n\r\n[HKCU\\Software]\r\n\"a\"=dword:xyz\r\n");
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{}, "zolvik-sim: no command (zolvik-sim help lists them)"},
        {{"frobnicate"}, "zolvik-sim: unknown command 'frobnicate'"},
        {{"help", "bogus"}, "zolvik-sim: help: no topic 'bogus'"},
        {{"name"}, "zolvik-sim: name: expects one key combination"},
        {{"name", "A", "B"}, "zolvik-sim: name: expects one key combination"},
        {{"name", "--bogus", "A"}, "zolvik-sim: name: unknown option --bogus"},
        {{"name", "Shfit+A"}, "zolvik-sim: unknown key name 'Shfit'"},
        {{"name", "\xFF"}, "zolvik-sim: KEYS: malformed UTF-8 at byte 1"},
        {{"name", "--umlaut", "AltGr+\xC3\x84"}, "zolvik-sim: the umlaut tables are not consulted"},
        {{"expand", "\xE4\xB8\xAD"}, "zolvik-sim: TEXT: character U+4E2D '\xE4\xB8\xAD' has no code page 1252 byte"},
        {{"format"}, "zolvik-sim: format: expects one format"},
        {{"format", "x", "--at"}, "zolvik-sim: format: --at needs a value"},
        {{"format", "x", "--at", "2026-02-29"}, "zolvik-sim: --at needs a moment"},
        {{"format", "x", "--at", "2026-12-07T24:00"}, "zolvik-sim: --at needs a moment"},
        {{"format", "x", "--at", "2026-12-07 14:00"}, "zolvik-sim: --at needs a moment"},
        {{"format", "x", "--at", "2026-01-01", "--at", "2026-01-02"}, "zolvik-sim: format: --at given twice"},
        {{"format", "x", "--locale", "fr-FR"}, "zolvik-sim: --locale is de-DE or en-US, not 'fr-FR'"},
        {{"type", "x", "--layout", "fr"}, "zolvik-sim: --layout is de or us, not 'fr'"},
        {{"type", "x", "--platform", "me"}, "zolvik-sim: --platform is nt or 9x, not 'me'"},
        {{"run", "--reg", "/nonexistent/x.reg"}, "zolvik-sim: /nonexistent/x.reg: cannot read the file"},
        {{"run", "--reg", badReg}, "zolvik-sim: " + badReg + ":4: dword: braucht 1 bis 8 Hex-Ziffern"},
        {{"run", "Shfit+a"}, "zolvik-sim: script: at 'Shfit+a': unknown key name 'Shfit'"},
        {{"run", "\"\xC3\xA9\""}, "zolvik-sim: no key types U+00E9 '\xC3\xA9' on the German layout"},
        {{"run", "\"\xE2\x82\xAC\"", "--layout", "us"}, "zolvik-sim: no key types U+20AC"},
        {{"run", "@/nonexistent/script"}, "zolvik-sim: cannot read the script file /nonexistent/script"},
        {{"run", "--missing"}, "zolvik-sim: run: --missing needs a value"},
        {{"run", "\"multi\nline"}, "zolvik-sim: script: at '\"multi line': text without its closing quote"},
    };
    for (const Case& c : cases) {
        Result result = Tool(c.args);
        std::string shown = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(result.status, 1) << shown;
        EXPECT_EQ(result.out, "") << shown;
        EXPECT_EQ(result.err.substr(0, c.err.size()), c.err) << shown;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << shown << ": one line";
    }
}

}  // namespace
