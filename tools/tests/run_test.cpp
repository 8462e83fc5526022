// "zolvik-sim run": what it shows of a replayed script, and how its options
// set up the simulated machine.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "common/cp1252.h"
#include "tools/zolvik_sim/commands.h"

namespace {

std::string WriteFile(const std::string& name, const std::string& text) {
    std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// A configuration with the master switch on and these AltGr-key values.
std::string Config(const std::string& name, const std::string& macros, const std::string& settings = "") {
    return WriteFile(name, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32\\Settings]\r\n"
                           "\"Zolvik eingeschaltet\"=hex:01\r\n" + settings +
                           "\r\n[HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32\\Macros\\AltGr]\r\n" + macros);
}

const std::string AllLocksOff = "locks: Caps Lock off, Num Lock off, Scroll Lock off\n";
const std::string NoKeyDown = "keys down: none\n";

// The report without its last two lines, the lock keys and the keys down,
// which must be as given.
std::string Replay(std::vector<std::string> args, const std::string& locks = AllLocksOff,
                   const std::string& keysDown = NoKeyDown) {
    args.insert(args.begin(), "run");
    std::ostringstream out, err;
    EXPECT_EQ(RunTool(args, out, err), 0) << err.str();
    std::string report = out.str();
    std::size_t last = report.rfind("locks: ");
    EXPECT_EQ(report.substr(std::min(last, report.size())), locks + keysDown);
    return report.substr(0, last);
}

TEST(RunTest, Reports) {
    std::string macros = Config("macros.reg", "\"00020074\"=\"a\"\r\n\"00080045\"=\"^*9\"\r\n"
                                              "\"00080044\"=\"^*40\"\r\n\"00080054\"=\"^*7\"\r\n",
                                "\"EasyTab\"=hex:00\r\n");
    struct Case {
        const char* why;
        std::vector<std::string> args;
        std::string out;
        std::string locks = AllLocksOff;
    };
    const Case cases[] = {
        {"every key event, who made it and what the hook kept",
         {"--reg", macros, "--events", "Ctrl+F5"},
         "key: user press VK_CONTROL\n"
         "key: user press VK_F5 (swallowed)\n"
         "key: typed release VK_MENU\n"
         "key: typed release VK_CONTROL\n"
         "key: typed release VK_SHIFT\n"
         "key: typed press 0x41 'A'\n"
         "key: typed release 0x41 'A'\n"
         "key: typed press VK_CONTROL\n"
         "key: user release VK_F5\n"
         "key: user release VK_CONTROL\n"
         "received: \"a\"\n"},
        {"auto-repeat", {"--events", "hold:A*3"},
         "key: user press 0x41 'A'\nkey: user repeat 0x41 'A'\nkey: user repeat 0x41 'A'\n"
         "key: user release 0x41 'A'\nreceived: \"aaa\"\n"},
        {"the shutdown request", {"--reg", macros, "AltGr+E"},
         "received: \"\"\nposted: UM_SHUTDOWN wParam=1 lParam=0 to Zolvik32\n"},
        {"the clock and the locale", {"--reg", macros, "--locale", "en-US", "--at", "2024-02-29T08:00", "AltGr+D"},
         "received: \"Thursday, February 29, 2024\"\n"},
        {"a change is shown", {"--reg", macros, "AltGr+T"},
         "received: \"\"\nchanged: [HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32\\Settings] \"EasyTab\" "
         "hex:00 -> hex:01\n"},
        {"a change undone is not", {"--reg", macros, "AltGr+T", "AltGr+T"}, "received: \"\"\n"},
        {"the operands are one script", {"\"ab\"", "Enter", "\"c\""}, "received: \"ab\\rc\"\n"},
        {"a dead key alone types its accent", {"\"^2 \xC2\xB4\"", "Caret", "A"}, "received: \"^2 \xC2\xB4\xC3\xA2\"\n"},
        {"Caps Lock on from the start", {"--caps-on", "\"Ab\"", "A"}, "received: \"AbA\"\n",
         "locks: Caps Lock on, Num Lock off, Scroll Lock off\n"},
        {"Num Lock on from the start", {"--num-on", "--events", "NumLock"},
         "key: user press VK_NUMLOCK\nkey: user release VK_NUMLOCK\nreceived: \"\"\n"},
        {"AltGr let go of while its macro types", {"--reg", macros, "down:AltGr", "after:4", "up:AltGr", "D", "T"},
         "received: \"Montag, 7. Dezember 2026t\"\n"},
        {"a key typed amid the typed events", {"--reg", macros, "--events", "after:4", "B", "Ctrl+F5"},
         "key: user press VK_CONTROL\n"
         "key: user press VK_F5 (swallowed)\n"
         "key: typed release VK_MENU\n"
         "key: typed release VK_CONTROL\n"
         "key: typed release VK_SHIFT\n"
         "key: typed press 0x41 'A'\n"
         "key: user press 0x42 'B'\n"
         "key: user release 0x42 'B'\n"
         "key: typed release 0x41 'A'\n"
         "key: typed press VK_CONTROL\n"
         "key: user release VK_F5\n"
         "key: user release VK_CONTROL\n"
         "received: \"ab\"\n"},
        {"every lock key the script taps", {"--num-on", "ScrollLock", "CapsLock", "CapsLock", "Num1"},
         "received: \"1\"\n", "locks: Caps Lock off, Num Lock on, Scroll Lock on\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(Replay(c.args, c.locks), c.out) << c.why;
}

// What a macro author checks of "NUM Umschaltung sperren".
TEST(RunTest, NumLockHeldOnShowsInTheLocks) {
    std::string lock = Config("lock.reg", "", "\"NUM Umschaltung sperren\"=hex:01\r\n");
    const std::string on = "locks: Caps Lock off, Num Lock on, Scroll Lock off\n";
    EXPECT_EQ(Replay({"--reg", lock, "--num-on", "NumLock", "NumLock"}, on), "received: \"\"\n");
    EXPECT_EQ(Replay({"--reg", lock, "NumLock", "Num1"}, on), "received: \"1\"\n");
    EXPECT_EQ(Replay({"--reg", lock, "--num-on", "Shift+NumLock"}), "received: \"\"\n") << "Shift lets it go";
}

// What Windows does to the keys Zolvik32 types: a hot key keeps some of
// them from every program, the focus moves while a macro types, a key is
// let go of in another program.
TEST(RunTest, LostEventsAndFocusChanges) {
    std::string macros = Config("lost.reg", "\"00080052\"=\"$FF$40R\"\r\n\"00000074\"=\"Hallo\"\r\n"
                                            "\"00080045\"=\"Sehr geehrte Damen und Herren,\"\r\n"
                                            "\r\n[HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32\\Macros\\Umlaut\\Ascii]\r\n"
                                            "\"000000DE\"=\"ae\"\r\n",
                                "\"Umlautwandlung\"=hex:01\r\n\"UmlautMode\"=hex:00\r\n");
    struct Case {
        const char* why;
        std::vector<std::string> args;
        std::string out;
    };
    const Case cases[] = {
        {"Win+R, typed by AltGr+R, is the system's hot key", {"--reg", macros, "--hot-key", "Win+R", "AltGr+R", "F5"},
         "received: \"Hallo\"\n"},
        {"the focus moves while a macro types: it stops there, and each window's macro types whole",
         {"--reg", macros, "after:12", "focus:other", "AltGr+E", "AltGr+E", "focus:back", "AltGr+E"},
         "received: \"SehSehr geehrte Damen und Herren,\"\nreceived in other: \"Sehr geehrte Damen und Herren,\"\n"},
        {"Alt let go of in another program", {"--reg", macros, "down:Alt", "Tab", "focus:other", "up:Alt", "focus:back", "\xC3\x84"},
         "received: \"ae\"\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(Replay(c.args), c.out) << c.why;

    // Each macro's own events and nothing more: Win+R with the releases
    // before it and AltGr pressed again after it (8), and "Hallo" (15).
    std::istringstream events(Replay({"--reg", macros, "--hot-key", "Win+R", "--events", "AltGr+R", "F5"}));
    std::size_t typed = 0;
    for (std::string line; std::getline(events, line);) typed += line.starts_with("key: typed ");
    EXPECT_EQ(typed, 23u);
}

TEST(RunTest, ScriptFromAFile) {
    std::string script = WriteFile("tour.keys", "# a tour\r\nShift+h \"i\"  # greeting\r\n\r\nSpace \"\xC3\xBC\"\r\n");
    EXPECT_EQ(Replay({"@" + script}), "received: \"Hi \xC3\xBC\"\n");
}

TEST(RunTest, LaterFilesChangeWhatEarlierOnesSet) {
    std::string first = Config("first.reg", "\"00080045\"=\"first\"\r\n\"00080046\"=\"kept\"\r\n");
    std::string second = WriteFile("second.reg", "REGEDIT4\r\n\r\n"
                                                 "[HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32\\Macros\\AltGr]\r\n"
                                                 "\"00080046\"=-\r\n"
                                                 "[-HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32\\Macros]\r\n");
    EXPECT_EQ(Replay({"--reg", first, "AltGr+E", "AltGr+F"}), "received: \"firstkept\"\n");
    EXPECT_EQ(Replay({"--reg", first, "--reg", second, "AltGr+E", "AltGr+F"}), "received: \"\xE2\x82\xAC\"\n")
        << "no macros left: AltGr+E is the euro sign, AltGr+F types nothing";
    std::string unicode = WriteFile("unicode.reg", "\xFF\xFE" + WideToUtf16Le(Utf8ToWide(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32\\Macros\\AltGr]\r\n"
        "\"00080045\"=\"Dvo\xC5\x99\xC3\xA1k \xE2\x86\x92\"\r\n")));
    EXPECT_EQ(Replay({"--reg", first, "--reg", unicode, "AltGr+E"}), "received: \"Dvo\xC5\x99\xC3\xA1k \xE2\x86\x92\"\n")
        << "a version 5.00 file, whose texts hold any character";
}

// On Windows 95/98 held AltGr is seen as Ctrl and Alt, and all three keys
// are pressed again after typing.
TEST(RunTest, PlatformDecidesHowHeldAltGrComesBack) {
    std::string macros = Config("x.reg", "\"00080058\"=\"x\"\r\n");
    // The simulated keyboard tells the Alt keys apart as Windows NT does, so
    // the left one ends down after the 9x restore.
    auto restored = [&](const char* platform, const char* keysDown) {
        std::string out = Replay({"--reg", macros, "--platform", platform, "--events", "down:AltGr", "X"},
                                 AllLocksOff, keysDown);
        std::string presses;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) {
            // The simulated keyboard keeps the right Alt key down, so its
            // press again shows as a repeat.
            for (const char* kind : {"key: typed press VK_", "key: typed repeat VK_"}) {
                std::string prefix(kind);
                if (line.starts_with(prefix)) presses += line.substr(prefix.size() - 3) + ";";
            }
        }
        return presses;
    };
    EXPECT_EQ(restored("nt", "keys down: Ctrl, right Alt\n"), "VK_CONTROL;VK_MENU extended;");
    EXPECT_EQ(restored("9x", "keys down: Ctrl, Alt, right Alt\n"), "VK_CONTROL;VK_MENU;VK_MENU extended;");
}

}  // namespace
