// The key rules on simulated key presses: what the application receives,
// what is posted, started and written, for each rule and where rules meet.
#include "tests/unit/hook_fixture.h"

#include "common/key_flags.h"
#include "common/sound_events.h"
#include "hook/key_action_runner.h"
#include "hook/key_rules.h"
#include "hook/macro_store.h"

using namespace win;
using Events = std::vector<WParam>;

namespace {

constexpr std::uint8_t VK_HASH = 0xBF;
constexpr std::uint8_t VK_HOME = 0x24;

class KeyRulesTest : public HookFixture {
protected:
    void SetUp() override {
        HookFixture::SetUp();
        machine.SetLayout(sim::KeyboardLayout::German);
        SetOption("Zolvik eingeschaltet", 1);
    }
    void Macro(const std::string& name, const std::string& text) {
        machine.registry.PutString(AltGrMacroKey, name, text);
    }
    std::uint8_t Option(const char* name) const {
        auto value = machine.registry.Get(SettingsKeyPath, name);
        return value && value->data.size() == 1 ? value->data[0] : 0xEE;
    }
    void AltGrTap(std::uint8_t key) {
        machine.PressAltGr();
        machine.Tap(key);
        machine.ReleaseAltGr();
    }
    void ShiftTap(std::uint8_t key) {
        machine.Press(VK_SHIFT);
        machine.Tap(key);
        machine.Release(VK_SHIFT);
    }
    bool NumLockToggled() {
        std::uint8_t state[256];
        machine.keyboard.GetKeyboardState(state);
        return state[VK_NUMLOCK] & 1;
    }
    // Only presses are swallowed; a release never reaches the rules.
    bool AppReceivedPress(std::uint8_t key) const {
        for (const sim::AppKeyMessage& message : machine.AppMessages()) {
            bool press = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
            if (press && message.virtualKey == key) return true;
        }
        return false;
    }
};

TEST_F(KeyRulesTest, MasterSwitchOffLetsEverythingPassButAltGrF1) {
    SetOption("Zolvik eingeschaltet", 0);
    SetOption("EasyBackslash", 1);
    Macro("00000041", "macro");
    std::uint64_t opens = machine.registry.OpenCount();
    machine.Tap('A');
    machine.Tap(VK_HASH);
    EXPECT_EQ(machine.AppText(), "a#");
    EXPECT_EQ(machine.registry.OpenCount(), opens + 2)
        << "no macro looked up; one failed open of the missing Programme key per press";
    AltGrTap(VK_F1);
    EXPECT_EQ(Option("Zolvik eingeschaltet"), 1);
    EXPECT_FALSE(AppReceivedPress(VK_F1)) << "swallowed";
    machine.Tap('A');
    EXPECT_EQ(machine.AppText(), "a#macro");
}

TEST_F(KeyRulesTest, AltGrF1HeldTogglesAtEveryRepeat) {
    SetOption("Piepsen bei Umschaltungen", 1);
    machine.PressAltGr();
    machine.Press(VK_F1);
    machine.Press(VK_F1);
    machine.Press(VK_F1);
    machine.Release(VK_F1);
    machine.ReleaseAltGr();
    EXPECT_EQ(Option("Zolvik eingeschaltet"), 0);
    EXPECT_EQ(SoundRequests(), (Events{seOff, seOn, seOff})) << "no sound of its own first";
}

TEST_F(KeyRulesTest, AltGrNumLockSwitchesTheDecimalCharacter) {
    SetOption("Piepsen bei Umschaltungen", 1);
    SetOption("NUM Umschaltung sperren", 0);
    AltGrTap(VK_NUMLOCK);
    EXPECT_EQ(Option("NUM Punkt"), 1);
    EXPECT_TRUE(NumLockToggled());
    EXPECT_EQ(SoundRequests(), (Events{seNumDot, seOn}));
    EXPECT_FALSE(AppReceivedPress(VK_NUMLOCK));
}

TEST_F(KeyRulesTest, HashKeyWithAltGr) {
    Macro("000800BF", "macro");
    AltGrTap(VK_HASH);
    EXPECT_EQ(machine.AppText(), "macro") << "EasyBackslash off: the macro decides";
    machine.ClearApp();
    SetOption("EasyBackslash", 1);
    AltGrTap(VK_HASH);
    EXPECT_EQ(machine.AppText(), "#");
}

TEST_F(KeyRulesTest, HashKeyAloneTypesABackslashButNotWithShift) {
    SetOption("EasyBackslash", 1);
    machine.Tap(VK_HASH);
    ShiftTap(VK_HASH);
    EXPECT_EQ(machine.AppText(), "\\'");
}

TEST_F(KeyRulesTest, KeypadDecimal) {
    SetOption("NUM Punkt", 1);
    machine.Tap(VK_DECIMAL);
    machine.registry.PutString(SettingsKeyPath, "DecimalDot", ",-");
    ShiftTap(VK_DECIMAL);
    EXPECT_EQ(machine.AppText(), ".,-") << "missing text types a dot; Shift does not stop it";
    machine.ClearApp();
    machine.Tap(VK_CAPITAL);
    machine.Tap(VK_DECIMAL);
    EXPECT_EQ(machine.AppText(), ",-") << "first character as Alt code";
    int altCodes = 0;
    for (const sim::KeyInput& input : machine.keyboard.InjectedLog()) {
        if (input.virtualKey == VK_NUMPAD0 + 4 && !(input.flags & KEYEVENTF_KEYUP)) ++altCodes;
    }
    EXPECT_EQ(altCodes, 2) << "044 on the keypad";
    machine.ClearApp();
    machine.Press(VK_CONTROL);
    machine.Tap(VK_DECIMAL);
    machine.Release(VK_CONTROL);
    EXPECT_TRUE(AppReceivedPress(VK_DECIMAL)) << "not with Ctrl";
}

TEST_F(KeyRulesTest, EasyTabOutsideDialogsTypesTabAndShiftTab) {
    SetOption("EasyTab", 1);
    machine.Tap(VK_ADD);
    machine.Tap(VK_SUBTRACT);
    EXPECT_EQ(machine.AppText(), "\t\t");
    bool shiftedTab = false;
    const auto& log = machine.keyboard.InjectedLog();
    for (std::size_t i = 1; i < log.size(); ++i) {
        shiftedTab = shiftedTab || (log[i - 1].virtualKey == VK_SHIFT && log[i].virtualKey == VK_TAB &&
                                    !(log[i].flags & KEYEVENTF_KEYUP));
    }
    EXPECT_TRUE(shiftedTab);
    machine.ClearApp();
    ShiftTap(VK_ADD);
    EXPECT_TRUE(AppReceivedPress(VK_ADD)) << "not with Shift";
}

TEST_F(KeyRulesTest, EasyTabInDialogsPostsToTheTopWindow) {
    SetOption("EasyTab", 1);
    Window dialog = machine.windows.AddWindow("#32770", "Dialog");
    Window field = machine.windows.AddWindow("Edit", "", dialog);
    machine.windows.SetFocus(field);
    machine.SetDialogMode(true);
    machine.Tap(VK_ADD);
    machine.Tap(VK_SUBTRACT);
    machine.windows.SetFocus(0);
    machine.Tap(VK_ADD);
    EXPECT_EQ(machine.windows.PostedTo(dialog),
              (std::vector<sim::PostedMessage>{{dialog, WM_NEXTDLGCTL, 0, 0},
                                               {dialog, WM_NEXTDLGCTL, ~WParam(0), 0}}));
    EXPECT_FALSE(AppReceivedPress(VK_ADD) || AppReceivedPress(VK_SUBTRACT))
        << "swallowed, also without focus";
    EXPECT_EQ(machine.AppText(), "") << "nothing typed";
}

TEST_F(KeyRulesTest, NumLockLockHoldsNumLockOnAndTheMacroIsStillLookedUp) {
    SetOption("NUM Umschaltung sperren", 1);
    Macro("00000090", "macro");
    machine.Tap(VK_NUMLOCK);
    EXPECT_TRUE(NumLockToggled());
    EXPECT_EQ(machine.AppText(), "macro");
    machine.registry.PutString(AltGrMacroKey, "00000090", "");
    machine.ClearApp();
    machine.Tap(VK_NUMLOCK);
    EXPECT_TRUE(AppReceivedPress(VK_NUMLOCK)) << "not swallowed without a macro";
}

// Windows NT toggles Num Lock past the thread's bit; the library holds it
// on by a tap of its own when a press turns it off.
TEST_F(KeyRulesTest, NumLockLockHoldsNumLockOnFromOnAndFromOff) {
    struct Case {
        const char* why;
        bool startOn;
        bool shift;
        bool endsOn;
        std::vector<WParam> sounds;
        std::size_t taps;  // of the library's own
    };
    const Case cases[] = {
        {"from off: the press turns it on", false, false, true, {seNumLock, seOn}, 0},
        {"from on: turned on again", true, false, true, {seNumLock, seOn}, 1},
        {"from off with Shift: the press alone", false, true, true, {seNumLock, seOn}, 0},
        {"from on with Shift: the press alone", true, true, false, {seNumLock, seOff}, 0},
    };
    SetOption("Piepsen bei Umschaltungen", 1);
    for (const Case& c : cases) {
        SetOption("NUM Umschaltung sperren", 0);
        if (NumLockToggled() != c.startOn) machine.Tap(VK_NUMLOCK);
        ASSERT_EQ(NumLockToggled(), c.startOn) << c.why;
        SetOption("NUM Umschaltung sperren", 1);
        machine.windows.ClearPosted();
        machine.keyboard.ClearInjectedLog();
        if (c.shift) machine.Press(VK_SHIFT);
        machine.Tap(VK_NUMLOCK);
        if (c.shift) machine.Release(VK_SHIFT);
        EXPECT_EQ(NumLockToggled(), c.endsOn) << c.why;
        EXPECT_EQ(app->KeyFlags.Contains(kfNumLock), c.endsOn) << c.why;
        EXPECT_EQ(SoundRequests(), c.sounds) << c.why;
        std::size_t taps = 0;
        for (const sim::KeyInput& input : machine.keyboard.InjectedLog()) {
            taps += input.virtualKey == VK_NUMLOCK && !(input.flags & KEYEVENTF_KEYUP);
        }
        EXPECT_EQ(taps, c.taps) << c.why;
        EXPECT_TRUE(AppReceivedPress(VK_NUMLOCK)) << c.why << ": the press is not swallowed";
    }
    machine.Tap(VK_NUMLOCK);
    machine.Tap(VK_NUMLOCK);
    machine.Tap('A');
    EXPECT_TRUE(NumLockToggled()) << "tap after tap";
    EXPECT_EQ(app->Synthesised.Size(), 0u);
}

// The X server owns Num Lock under Wine and turns a tap of the library's
// own back at the next key: none is typed there.
TEST_F(KeyRulesTest, NumLockLockTypesNoTapUnderWine) {
    machine.system.SetWine(true);
    auto underWine = std::make_unique<THookProcess>(machine.platform, LibraryModule);
    SetThisProcess(underWine.get());
    SetOption("NUM Umschaltung sperren", 1);
    machine.Tap(VK_NUMLOCK);
    machine.keyboard.ClearInjectedLog();
    machine.Tap(VK_NUMLOCK);
    EXPECT_TRUE(machine.keyboard.InjectedLog().empty());
    EXPECT_FALSE(underWine->KeyFlags.Contains(kfNumLock));
    SetThisProcess(app.get());
}

TEST_F(KeyRulesTest, NumLockLockOn9xSetsTheThreadsBit) {
    machine.system.SetWindowsNT(false);
    auto on9x = std::make_unique<THookProcess>(machine.platform, LibraryModule);
    SetThisProcess(on9x.get());
    SetOption("NUM Umschaltung sperren", 1);
    machine.keyboard.ClearInjectedLog();
    machine.Tap(VK_NUMLOCK);
    EXPECT_TRUE(machine.keyboard.InjectedLog().empty()) << "no tap of its own";
    SetThisProcess(app.get());
}

TEST_F(KeyRulesTest, NumLockLockDoesNothingWithShift) {
    SetOption("NUM Umschaltung sperren", 1);
    machine.Press(VK_SHIFT);
    machine.Press(VK_NUMLOCK);
    EXPECT_TRUE(NumLockToggled()) << "the press itself toggles";
    machine.Release(VK_NUMLOCK);
    machine.Tap(VK_NUMLOCK);
    machine.Release(VK_SHIFT);
    EXPECT_FALSE(NumLockToggled());
}

TEST_F(KeyRulesTest, RuleWhoseSettingIsOffFallsThroughToTheMacro) {
    Macro("0000006B", "plus macro");
    machine.Tap(VK_ADD);
    EXPECT_EQ(machine.AppText(), "plus macro");
}

TEST_F(KeyRulesTest, CapsLockCountsAsShiftForMacrosButNotForUmlautTables) {
    Macro("00010045", "shifted");
    machine.Tap(VK_CAPITAL);
    machine.Tap('E');
    EXPECT_EQ(machine.AppText(), "shifted");
    SetOption("Umlautwandlung", 1);
    machine.registry.PutString(AsciiUmlautKey, "001000DE", "AE");
    machine.registry.PutString(AsciiUmlautKey, "000100DE", "shift");
    machine.ClearApp();
    machine.Tap(0xDE);
    EXPECT_EQ(machine.AppText(), "AE");
}

TEST_F(KeyRulesTest, ExtendedKeyIsItsOwnBinding) {
    Macro("00088024", "extended home");
    Macro("00080024", "keypad home");
    AltGrTap(VK_HOME);
    EXPECT_EQ(machine.AppText(), "keypad home");
    machine.ClearApp();
    machine.PressAltGr();
    machine.Tap(VK_HOME, true);
    machine.ReleaseAltGr();
    EXPECT_EQ(machine.AppText(), "extended home");
}

TEST_F(KeyRulesTest, CtrlSkipsThePlainRulesButNotTheMacro) {
    SetOption("Umlautwandlung", 1);
    SetOption("EasyBackslash", 1);
    machine.registry.PutString(AsciiUmlautKey, "000200DE", "umlaut");
    Macro("000200BF", "ctrl macro");
    machine.Press(VK_CONTROL);
    machine.Tap(0xDE);
    machine.Tap(VK_HASH);
    machine.Release(VK_CONTROL);
    EXPECT_EQ(machine.AppText(), "ctrl macro");
    EXPECT_TRUE(AppReceivedPress(0xDE));
}

TEST_F(KeyRulesTest, UmlautConversionClaimsTheKeyBeforeEverythingElse) {
    SetOption("Umlautwandlung", 1);
    SetOption("EasyBackslash", 1);
    machine.registry.PutString(AsciiUmlautKey, "000000BF", "umlaut");
    Macro("000000BF", "macro");
    machine.Tap(VK_HASH);
    EXPECT_EQ(machine.AppText(), "umlaut");
}

// Every piece a macro types is counted for the one key, so no piece comes
// back through the rules as a real key.
TEST_F(KeyRulesTest, TwoPieceMacroIsNotConvertedAgain) {
    SetOption("Umlautwandlung", 1);
    machine.registry.PutString(AsciiUmlautKey, "000000DE", "ae");
    Macro("00080045", "^*0\xE4^*0\xE4");
    AltGrTap('E');
    EXPECT_EQ(machine.AppText(), "\xE4\xE4");
}

TEST_F(KeyRulesTest, TypicalKeystrokeLeavesNoModifierDown) {
    Macro("00080045", "Mit freundlichen Gr\xFC\xDF" "en");
    machine.PressAltGr();
    machine.Tap('E');
    EXPECT_EQ(machine.AppText(), "Mit freundlichen Gr\xFC\xDF" "en");
    machine.ReleaseAltGr();
    for (std::uint8_t key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LMENU, VK_RMENU}) {
        EXPECT_FALSE(machine.keyboard.IsThreadKeyDown(key)) << int(key);
        EXPECT_FALSE(machine.keyboard.IsAsyncKeyDown(key)) << int(key);
    }
}

// Deciding a key types nothing, opens nothing and asks for no shutdown;
// its actions, run afterwards, do exactly what the hook does for the key.
TEST_F(KeyRulesTest, DecidingDoesNothingThatTakesTimeAndTheActionsDoWhatTheHookDoes) {
    using enum TKeyActionKind;
    struct Case {
        const char* why;
        std::uint8_t key;
        bool altGr;
        TVerdict verdict;
        std::vector<TKeyActionKind> actions;
        const char* typed;
        std::vector<std::string> opened;
    };
    const Case cases[] = {
        {"umlaut", 0xDE, false, TVerdict::Swallow, {Type}, "ae", {}},
        {"macro with a program and a switch between its texts", 'E', true, TVerdict::Swallow,
         {Type, Open, Type}, "Gr\xFC\xDF" "e", {"calc.exe"}},
        {"date macro", 'D', true, TVerdict::Swallow, {TypeTime}, "07.12.2026", {}},
        {"NUM Punkt", VK_DECIMAL, false, TVerdict::Swallow, {Type}, ",", {}},
        {"EasyBackslash", VK_HASH, false, TVerdict::Swallow, {Type}, "\\", {}},
        {"master switch", VK_F1, true, TVerdict::Swallow, {}, "", {}},
        {"a letter without a rule", 'A', false, TVerdict::Pass, {}, "", {}},
    };
    machine.system.SetLocalTime({2026, 12, 1, 7, 14, 5, 9, 0});
    machine.shell.AddFile("calc.exe");
    SetOption("Umlautwandlung", 1);
    SetOption("EasyBackslash", 1);
    // The texts as the next key's decision may find them changed already.
    auto storeTexts = [&](bool changed) {
        machine.registry.PutString(SettingsKeyPath, "DecimalDot", changed ? "?" : ",");
        machine.registry.PutString(AsciiUmlautKey, "000000DE", changed ? "?" : "ae");
        Macro("00080045", changed ? "?" : "^*0Gr\xFC^calc.exe^*8\xDF" "e");
        Macro("00080044", changed ? "?" : "^*49\"dd.mm.yyyy\"*40");
    };
    using Sent = std::vector<std::tuple<std::uint8_t, std::uint8_t, std::uint32_t>>;
    struct Done {
        Sent sent;
        std::string typed;
        std::vector<std::string> opened;
        std::uint8_t enabled, numDot;
    };
    auto begin = [&](const Case& c) {
        SetOption("Zolvik eingeschaltet", 1);
        SetOption("NUM Punkt", 1);
        if (c.altGr) machine.PressAltGr();
        machine.ClearApp();
        machine.keyboard.ClearInjectedLog();
        return machine.shell.Executed().size();
    };
    auto end = [&](const Case& c, std::size_t openedBefore) {
        Done done{{}, machine.AppText(), {}, Option("Zolvik eingeschaltet"), Option("NUM Punkt")};
        for (const sim::KeyInput& input : machine.keyboard.InjectedLog()) {
            done.sent.emplace_back(input.virtualKey, input.scanCode, input.flags);
        }
        for (std::size_t i = openedBefore; i < machine.shell.Executed().size(); ++i) {
            done.opened.push_back(machine.shell.Executed()[i].file);
        }
        if (c.altGr) machine.ReleaseAltGr();
        return done;
    };
    storeTexts(false);
    for (const Case& c : cases) {
        std::size_t openedBefore = begin(c);
        TKeyActions actions;
        EXPECT_EQ(ApplyKeyRules(*app, TKeyEvent{c.key, 1}, TKeyScope{}, actions), c.verdict) << c.why;
        EXPECT_TRUE(machine.keyboard.InjectedLog().empty()) << c.why;
        EXPECT_EQ(machine.shell.Executed().size(), openedBefore) << c.why;
        std::vector<TKeyActionKind> kinds;
        for (const TKeyAction& action : actions.List()) kinds.push_back(action.Kind);
        EXPECT_EQ(kinds, c.actions) << c.why;
        storeTexts(true);
        RunKeyActions(*app, actions);
        storeTexts(false);
        machine.DeliverInput();
        Done decided = end(c, openedBefore);

        openedBefore = begin(c);
        machine.Press(c.key);
        Done hooked = end(c, openedBefore);
        machine.Release(c.key);
        EXPECT_EQ(hooked.typed, c.verdict == TVerdict::Pass ? "a" : c.typed) << c.why;
        EXPECT_EQ(decided.typed, c.typed) << c.why;
        EXPECT_EQ(decided.sent, hooked.sent) << c.why;
        EXPECT_EQ(decided.opened, c.opened) << c.why;
        EXPECT_EQ(hooked.opened, c.opened) << c.why;
        EXPECT_EQ(decided.enabled, hooked.enabled) << c.why;
        EXPECT_EQ(decided.numDot, hooked.numDot) << c.why;
        EXPECT_EQ(app->Synthesised.Size(), 0u) << c.why;
    }
}

TEST_F(KeyRulesTest, WronglyTypedMacroIsNoMacro) {
    machine.registry.Put(AltGrMacroKey, "00000041", REG_BINARY, {'x'});
    machine.Tap('A');
    EXPECT_EQ(machine.AppText(), "a");
}

}  // namespace

namespace {
// Texts written with the wide calls keep every character: a Unicode window
// receives them exactly, whichever rule types them. A byte escape names its
// code page 1252 character; with Caps Lock on, the decimal text's first
// character goes as Unicode where the layout's Alt codes cannot give it.
TEST_F(KeyRulesTest, TextsWithAnyCharacterAreTypedExactly) {
    SetOption("Umlautwandlung", 1);
    SetOption("NUM Punkt", 1);
    struct Case {
        const char* what;
        const char* path;
        const char* name;
        std::wstring stored;
        std::uint8_t key;
        bool altGr;
        std::wstring typed;
    };
    const std::wstring names = L"\x0141ukasz W\x00F3jcik, G\x00FCl\x015F" L"en Y\x0131lmaz, Dvo\x0159\x00E1k";
    const std::wstring symbols = L"\x2192 \x2264 \x2713 \x2116 \x03A9\x03B1\x03B2 \xD83D\xDE00";
    const Case cases[] = {
        {"AltGr macro of names", AltGrMacroKey, "00080045", names, 'E', true, names},
        {"AltGr macro of symbols, Greek and an emoji", AltGrMacroKey, "00080047", symbols, 'G', true, symbols},
        {"keys, escapes and Unicode mixed", AltGrMacroKey, "00080048",
         L"$80 \x2192 10$$ \x2713 $FF$81\x09\x00E4\xD83D\xDE00", 'H', true, L"\x20AC \x2192 10$ \x2713 \x09\x00E4\xD83D\xDE00"},
        {"text after a command", AltGrMacroKey, "00080049", L"^*7\x2192", 'I', true, L"\x2192"},
        {"umlaut table", AsciiUmlautKey, "000000DE", L"\x0142", 0xDE, false, L"\x0142"},
        {"decimal text", SettingsKeyPath, "DecimalDot", L"\x2192,", VK_DECIMAL, false, L"\x2192,"},
    };
    for (const Case& c : cases) {
        machine.registry.PutWideString(c.path, c.name, c.stored);
        machine.ClearApp();
        if (c.altGr) {
            AltGrTap(c.key);
        } else {
            machine.Tap(c.key);
        }
        EXPECT_EQ(machine.AppWideText(), c.typed) << c.what;
    }
    machine.Tap(VK_CAPITAL);
    machine.ClearApp();
    machine.Tap(VK_DECIMAL);
    EXPECT_EQ(machine.AppWideText(), L"\x2192,") << "decimal text with Caps Lock";
}

// The repeats of a press the rules swallowed still carry the previous-state
// bit, so the lock key is announced once.
TEST_F(KeyRulesTest, RepeatsOfASwallowedLockKeyAreNotAnnouncedAgain) {
    SetOption("Piepsen bei Umschaltungen", 1);
    Macro("00010014", "caps macro");  // Caps Lock on counts as Shift
    machine.Press(VK_CAPITAL);
    machine.Press(VK_CAPITAL);
    machine.Press(VK_CAPITAL);
    machine.Release(VK_CAPITAL);
    EXPECT_EQ(SoundRequests(), (Events{seCapsLock, seOn}));
    EXPECT_TRUE(machine.AppText().starts_with("caps macro"));
}

}  // namespace
