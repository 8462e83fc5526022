#include "tools/zolvik_sim/help.h"

#include <array>
#include <utility>

namespace {

constexpr std::string_view Overview = R"--(zolvik-sim: the keyboard assistant on a simulated Windows, for people who
write its configurations. Texts on the command line are UTF-8; the system
works in code page 1252, and a character that code page lacks is an error.
Any malformed argument, script or file ends the tool with one line on
stderr and status 1.

  zolvik-sim help [name|expand|format|type|run|script|keys]
)--";

constexpr std::string_view Name = R"--(
  zolvik-sim name KEYS [--umlaut]
    The registry value name of a key combination, for the key
    Software\Quendlin\Zolvik32\Macros\AltGr: zolvik-sim name AltGr+E prints
    00080045. Caps Lock counts as Shift there, and the navigation keys
    (Home, End, Del, Ins, PgUp, PgDn, the arrows) carry bit 15.
    --umlaut: the name for the umlaut tables (Macros\Umlaut\Ascii and
    Macros\Umlaut\HTML), where Caps Lock is a modifier of its own (10) and
    Ctrl, Alt and AltGr are never held.
)--";

constexpr std::string_view Expand = R"--(
  zolvik-sim expand TEXT
    A macro text after its "$" escapes ($$ a dollar sign, $41 the byte
    0x41, an escape that does not convert is dropped). Printable ASCII is
    shown as it is, a backslash as \\, every other byte as \xNN.
)--";

constexpr std::string_view Format = R"--(
  zolvik-sim format FORMAT [--at MOMENT] [--locale de-DE|en-US]
    What a date or time command types for FORMAT (dd.mm.yyyy, hh:nn, c,
    dddd, ...); an empty FORMAT stands for c. MOMENT is
    YYYY-MM-DDTHH:MM:SS.mmm (time parts may be left off from the right);
    the default is 2026-12-07T14:05:09.000. The default locale is de-DE.
)--";

constexpr std::string_view Type = R"--(
  zolvik-sim type TEXT [--layout de|us] [--platform nt|9x] [--expand]
    The key events the system synthesises to type TEXT, one a line
    ("press VK_SHIFT", "release 0x41 'A'"), then the text the application
    receives. TEXT is in the keystroke-text encoding: the byte 0xFF starts
    an escape; with --expand the "$" escapes are applied first, as for a
    macro (zolvik-sim type --expand '$FF$81$09' types Shift+Tab). A
    character outside code page 1252 goes as Unicode events ("press 0xE7
    U+0142").
    Defaults: the German layout, Windows NT.
)--";

constexpr std::string_view Run = R"--(
  zolvik-sim run [--reg FILE.reg ...] [--layout de|us] [--platform nt|9x]
                 [--at MOMENT] [--locale de-DE|en-US] [--caps-on] [--num-on]
                 [--dialog] [--missing PATH ...] [--hot-key KEYS ...]
                 [--program NAME.exe] [--password] [--events] SCRIPT ...
    Replays SCRIPT through the whole system: an empty registry, the .reg
    files imported in order (all are read first; a malformed line imports
    nothing), the hook installed, a stand-in for the tray program's control
    window, a text window with the keyboard focus and a text window of
    another program (focus:other in the script). Prints
      received: the text the window received
      received in other: the text the other program's window received,
                if any
      sound:    each sound requested, by event name
      posted:   other messages posted (to Zolvik32 or the application)
      opened:   each program or document opened ("cannot open:" for a
                PATH named with --missing, which fails as a missing file)
      beep:     each MessageBeep
      changed:  each registry value the system changed, before -> after
      locks:    the lock keys' lights after the script
                ("locks: Caps Lock off, Num Lock on, Scroll Lock off")
      keys down: the keys the system holds down after the script, as
                GetAsyncKeyState reports them ("keys down: none",
                "keys down: Shift, Ctrl")
    and with --events every key event first ("key: user press ...",
    "key: typed release ...", "in other" when it went to the other
    program's window, "(swallowed)" when the hook kept it).
    --caps-on, --num-on: Caps Lock, Num Lock on before the script starts.
    --dialog: the keys are pressed in a dialog box (EasyTab moves focus).
    --hot-key KEYS: a combination the system keeps for itself (Win+R):
    while exactly its modifiers are down, the key's press and release
    reach no program; repeatable.
    --program NAME.exe: the text window's program, for the rules under
    Software\Quendlin\Zolvik32\Programme (default: probe.exe).
    --password: the text window is a password field (an Edit with
    ES_PASSWORD).
    SCRIPT is the rest of the command line, or @FILE to read it from a file.
)--";

constexpr std::string_view Script = R"--(
  Scripts (zolvik-sim run): tokens separated by blanks or line ends; "#"
  at the start of a token comments out the rest of the line.
    AltGr+E          tap: modifiers pressed in order, the key pressed and
                     released, the modifiers released in reverse order
    CapsLock         a lock key is tapped like any other key
    down:Shift       press one key or modifier and keep it down
    up:Shift         release it
    hold:F1*3        the key pressed 3 times without a release (the first
                     press and two auto-repeats), then released;
                     hold:AltGr+F1*3 holds the modifiers around it
    after:5 up:AltGr the next step happens while the system types: its
                     key events come after the next 5 events the system
                     types (or at the end of the script), as a fast
                     typist's do during a long macro
    focus:other      the focus moves to the other program's text window
    focus:back       and back to the first one; after:5 focus:other moves
                     it while the system types
    "Hallo Welt"     typed key by key as a user would, with Shift or AltGr
                     where the layout needs them; inside, \" is a quote and
                     \\ a backslash. A dead key (^ on the German layout) is
                     followed by Space, which makes the accent itself.
)--";

constexpr std::string_view Keys = R"--(
  Keys: A-Z and 0-9 (keys, not characters: a and A are the same key),
  F1-F24, Tab, Enter, Space, Esc, Backspace, Pause, CapsLock, NumLock,
  ScrollLock; Home, End, Ins, Del, PgUp, PgDn, Left, Up, Right, Down (the
  extended keys of the navigation block); NumHome, NumEnd, NumIns, NumDel,
  NumPgUp, NumPgDn, NumLeft, NumUp, NumRight, NumDown, NumClear (the keypad
  with Num Lock off); Num0-Num9, NumDecimal, NumPlus, NumMinus, NumMultiply,
  NumDivide, NumEnter; the German keys Ä (Ae), Ö (Oe), Ü (Ue), ß (Sz), Hash
  (#, 0xBF), Plus, Comma, Minus, Period, Caret (^), Acute (´), Less (<);
  0xNN for any virtual key. Modifiers: Shift, Ctrl, Alt, AltGr, Win (the
  right Windows key) and, for names only, CapsLock (toggled on). Names are
  not case-sensitive.
)--";

}  // namespace

std::optional<std::string> HelpText(std::string_view topic) {
    const std::array<std::pair<std::string_view, std::string_view>, 7> sections = {{
        {"name", Name}, {"expand", Expand}, {"format", Format}, {"type", Type},
        {"run", Run}, {"script", Script}, {"keys", Keys},
    }};
    if (topic.empty()) {
        std::string all(Overview);
        for (const auto& section : sections) all += section.second;
        return all;
    }
    for (const auto& [name, text] : sections) {
        if (name == topic) return std::string(text.substr(1));
    }
    return std::nullopt;
}
