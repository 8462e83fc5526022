#include "platform/sim/sim_layouts.h"

#include <array>
#include <span>

#include "common/key_bits.h"

// The tables follow the layout DLLs of Windows (kbdus, kbdgr): a scan-code
// table, the characters of each key by modification number, the modifier
// combinations that select a modification number, and the dead keys. The
// characters are held as code page 1252 bytes rather than in UTF-16: every
// character of the two layouts is in it (0x80 is the euro sign).

namespace sim {

namespace {

// Virtual keys (winuser.h).
enum : std::uint8_t {
    VK_CANCEL = 0x03, VK_BACK = 0x08, VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D,
    VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23,
    VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
    VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_HELP = 0x2F,
    VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D, VK_SLEEP = 0x5F,
    VK_NUMPAD0 = 0x60, VK_NUMPAD1, VK_NUMPAD2, VK_NUMPAD3, VK_NUMPAD4, VK_NUMPAD5, VK_NUMPAD6,
    VK_NUMPAD7, VK_NUMPAD8, VK_NUMPAD9, VK_MULTIPLY, VK_ADD, VK_SEPARATOR, VK_SUBTRACT,
    VK_DECIMAL, VK_DIVIDE,
    VK_F1 = 0x70, VK_F2, VK_F3, VK_F4, VK_F5, VK_F6, VK_F7, VK_F8, VK_F9, VK_F10, VK_F11,
    VK_F12, VK_F13, VK_F14, VK_F15, VK_F16, VK_F17, VK_F18, VK_F19, VK_F20, VK_F21, VK_F22,
    VK_F23, VK_F24,
    VK_NUMLOCK = 0x90, VK_SCROLL = 0x91,
    VK_LSHIFT = 0xA0, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU,
    VK_BROWSER_BACK, VK_BROWSER_FORWARD, VK_BROWSER_REFRESH, VK_BROWSER_STOP,
    VK_BROWSER_SEARCH, VK_BROWSER_FAVORITES, VK_BROWSER_HOME, VK_VOLUME_MUTE,
    VK_VOLUME_DOWN, VK_VOLUME_UP, VK_MEDIA_NEXT_TRACK, VK_MEDIA_PREV_TRACK, VK_MEDIA_STOP,
    VK_MEDIA_PLAY_PAUSE, VK_LAUNCH_MAIL, VK_LAUNCH_MEDIA_SELECT, VK_LAUNCH_APP1,
    VK_LAUNCH_APP2,
    VK_OEM_1 = 0xBA, VK_OEM_PLUS, VK_OEM_COMMA, VK_OEM_MINUS, VK_OEM_PERIOD, VK_OEM_2,
    VK_OEM_3, VK_ABNT_C1, VK_ABNT_C2,
    VK_OEM_4 = 0xDB, VK_OEM_5, VK_OEM_6, VK_OEM_7,
    VK_OEM_102 = 0xE2,
    VK_OEM_RESET = 0xE9, VK_OEM_JUMP, VK_OEM_PA1, VK_OEM_PA2, VK_OEM_PA3, VK_OEM_WSCTRL,
    VK_OEM_FINISH = 0xF1, VK_OEM_AUTO = 0xF3, VK_OEM_BACKTAB = 0xF5, VK_EREOF = 0xF9,
    VK_ZOOM = 0xFB,
    NoKey = 0xFF,  // a scan code without a key; in a character table, the dead-key row
};

// Modifier bits, as in VkKeyScanA's high byte.
constexpr unsigned Shift = 1, Ctrl = 2, Alt = 4;

// A character cell: a code page 1252 byte, or one of these.
constexpr std::int16_t None = -1;  // WCH_NONE
constexpr std::int16_t Dead = -2;  // WCH_DEAD: the next row holds the accent

struct KeyRow {
    std::uint8_t virtualKey;  // NoKey: the accents of the dead key in the row above
    bool capsLock;            // CAPLOK: Caps Lock acts as Shift when no Ctrl or Alt is held
    std::uint8_t width;       // the modification numbers the row has characters for
    std::array<std::int16_t, 5> cells;
};

struct DeadKey {
    char accent;
    char base;
    char composed;
};

constexpr std::uint8_t Invalid = 0x0F;  // SHFT_INVALID

struct Layout {
    std::span<const KeyRow> rows;  // searched in this order
    std::array<std::uint8_t, 8> modification;  // by Shift | Ctrl | Alt
    std::span<const DeadKey> deadKeys;
    const std::array<std::uint8_t, 127>* scanCodes;  // scan code -> virtual key
    const std::array<std::uint8_t, 128>* oemUpperHalf;  // OEM 0x80-0xFF -> 1252
};

constexpr std::array<std::uint8_t, 127> UsScanCodes = {
    NoKey, VK_ESCAPE, '1', '2', '3', '4', '5', '6',                              // 00
    '7', '8', '9', '0', VK_OEM_MINUS, VK_OEM_PLUS, VK_BACK, VK_TAB,              // 08
    'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I',                                      // 10
    'O', 'P', VK_OEM_4, VK_OEM_6, VK_RETURN, VK_LCONTROL, 'A', 'S',              // 18
    'D', 'F', 'G', 'H', 'J', 'K', 'L', VK_OEM_1,                                 // 20
    VK_OEM_7, VK_OEM_3, VK_LSHIFT, VK_OEM_5, 'Z', 'X', 'C', 'V',                 // 28
    'B', 'N', 'M', VK_OEM_COMMA, VK_OEM_PERIOD, VK_OEM_2, VK_RSHIFT, VK_MULTIPLY,  // 30
    VK_LMENU, VK_SPACE, VK_CAPITAL, VK_F1, VK_F2, VK_F3, VK_F4, VK_F5,           // 38
    VK_F6, VK_F7, VK_F8, VK_F9, VK_F10, VK_NUMLOCK, VK_SCROLL, VK_HOME,          // 40
    VK_UP, VK_PRIOR, VK_SUBTRACT, VK_LEFT, VK_CLEAR, VK_RIGHT, VK_ADD, VK_END,   // 48
    VK_DOWN, VK_NEXT, VK_INSERT, VK_DELETE, VK_SNAPSHOT, NoKey, VK_OEM_102, VK_F11,  // 50
    VK_F12, VK_CLEAR, VK_OEM_WSCTRL, VK_OEM_FINISH, VK_OEM_JUMP, VK_EREOF,       // 58
    VK_OEM_BACKTAB, VK_OEM_AUTO,
    NoKey, NoKey, VK_ZOOM, VK_HELP, VK_F13, VK_F14, VK_F15, VK_F16,              // 60
    VK_F17, VK_F18, VK_F19, VK_F20, VK_F21, VK_F22, VK_F23, VK_OEM_PA3,          // 68
    NoKey, VK_OEM_RESET, NoKey, VK_ABNT_C1, NoKey, NoKey, VK_F24, NoKey,         // 70
    NoKey, NoKey, NoKey, VK_OEM_PA1, VK_TAB, NoKey, VK_ABNT_C2,                  // 78
};

// The German keyboard moves the punctuation keys and swaps Z and Y.
constexpr std::array<std::uint8_t, 127> GermanScanCodes = [] {
    std::array<std::uint8_t, 127> codes = UsScanCodes;
    codes[0x0C] = VK_OEM_4;     // sharp s
    codes[0x0D] = VK_OEM_6;     // dead acute and grave
    codes[0x15] = 'Z';
    codes[0x1A] = VK_OEM_1;     // u umlaut
    codes[0x1B] = VK_OEM_PLUS;  // +
    codes[0x27] = VK_OEM_3;     // o umlaut
    codes[0x29] = VK_OEM_5;     // dead circumflex
    codes[0x2B] = VK_OEM_2;     // #
    codes[0x2C] = 'Y';
    codes[0x35] = VK_OEM_MINUS;  // -
    return codes;
}();

struct ScanCodeKey {
    std::uint8_t scanCode;
    std::uint8_t virtualKey;
};

// Keys whose scan code comes after the 0xE0 prefix, the same on both layouts.
constexpr ScanCodeKey ExtendedScanCodes[] = {
    {0x10, VK_MEDIA_PREV_TRACK}, {0x19, VK_MEDIA_NEXT_TRACK}, {0x1D, VK_RCONTROL},
    {0x20, VK_VOLUME_MUTE}, {0x21, VK_LAUNCH_APP2}, {0x22, VK_MEDIA_PLAY_PAUSE},
    {0x24, VK_MEDIA_STOP}, {0x2E, VK_VOLUME_DOWN}, {0x30, VK_VOLUME_UP},
    {0x32, VK_BROWSER_HOME}, {0x35, VK_DIVIDE}, {0x37, VK_SNAPSHOT}, {0x38, VK_RMENU},
    {0x47, VK_HOME}, {0x48, VK_UP}, {0x49, VK_PRIOR}, {0x4B, VK_LEFT}, {0x4D, VK_RIGHT},
    {0x4F, VK_END}, {0x50, VK_DOWN}, {0x51, VK_NEXT}, {0x52, VK_INSERT}, {0x53, VK_DELETE},
    {0x5B, VK_LWIN}, {0x5C, VK_RWIN}, {0x5D, VK_APPS}, {0x5F, VK_SLEEP},
    {0x65, VK_BROWSER_SEARCH}, {0x66, VK_BROWSER_FAVORITES}, {0x67, VK_BROWSER_REFRESH},
    {0x68, VK_BROWSER_STOP}, {0x69, VK_BROWSER_FORWARD}, {0x6A, VK_BROWSER_BACK},
    {0x6B, VK_LAUNCH_APP1}, {0x6C, VK_LAUNCH_MAIL}, {0x6D, VK_LAUNCH_MEDIA_SELECT},
    {0x1C, VK_RETURN}, {0x46, VK_CANCEL},
};

// After the 0xE1 prefix: Pause.
constexpr ScanCodeKey PrefixE1ScanCodes[] = {{0x1D, VK_PAUSE}};

// The keypad keys with Num Lock on, from scan code 0x47 on (0xFF: no digit
// key at that place). Type 0 of MapVirtualKeyA finds them here last.
constexpr std::uint8_t FirstKeypadScanCode = 0x47;
constexpr std::uint8_t KeypadKeys[] = {
    VK_NUMPAD7, VK_NUMPAD8, VK_NUMPAD9, NoKey, VK_NUMPAD4, VK_NUMPAD5, VK_NUMPAD6,
    NoKey,      VK_NUMPAD1, VK_NUMPAD2, VK_NUMPAD3, VK_NUMPAD0, VK_DECIMAL,
};

constexpr KeyRow Letter(char upper) {
    return {static_cast<std::uint8_t>(upper), true, 2,
            {static_cast<std::int16_t>(upper + 0x20), upper, None, None, None}};
}

constexpr KeyRow Keypad(std::uint8_t virtualKey, char digit) {
    return {virtualKey, false, 1, {digit, None, None, None, None}};
}

// kbdus: modification numbers 0 plain, 1 Shift, 2 Ctrl, 3 Shift+Ctrl.
constexpr KeyRow UsRows[] = {
    {VK_OEM_4, false, 3, {'[', '{', 0x1B}},
    {VK_OEM_6, false, 3, {']', '}', 0x1D}},
    {VK_OEM_5, false, 3, {'\\', '|', 0x1C}},
    {VK_OEM_102, false, 3, {'\\', '|', 0x1C}},
    {VK_BACK, false, 3, {'\b', '\b', 0x7F}},
    {VK_ESCAPE, false, 3, {0x1B, 0x1B, 0x1B}},
    {VK_RETURN, false, 3, {'\r', '\r', '\n'}},
    {VK_SPACE, false, 3, {' ', ' ', ' '}},
    {VK_CANCEL, false, 3, {0x03, 0x03, 0x03}},

    {'2', false, 4, {'2', '@', None, 0x00}},
    {'6', false, 4, {'6', '^', None, 0x1E}},
    {VK_OEM_MINUS, false, 4, {'-', '_', None, 0x1F}},

    {VK_OEM_3, false, 2, {'`', '~'}},
    {'1', false, 2, {'1', '!'}},
    {'3', false, 2, {'3', '#'}},
    {'4', false, 2, {'4', '$'}},
    {'5', false, 2, {'5', '%'}},
    {'7', false, 2, {'7', '&'}},
    {'8', false, 2, {'8', '*'}},
    {'9', false, 2, {'9', '('}},
    {'0', false, 2, {'0', ')'}},
    {VK_OEM_PLUS, false, 2, {'=', '+'}},
    Letter('Q'), Letter('W'), Letter('E'), Letter('R'), Letter('T'), Letter('Y'),
    Letter('U'), Letter('I'), Letter('O'), Letter('P'), Letter('A'), Letter('S'),
    Letter('D'), Letter('F'), Letter('G'), Letter('H'), Letter('J'), Letter('K'),
    Letter('L'),
    {VK_OEM_1, false, 2, {';', ':'}},
    {VK_OEM_7, false, 2, {'\'', '"'}},
    Letter('Z'), Letter('X'), Letter('C'), Letter('V'), Letter('B'), Letter('N'),
    Letter('M'),
    {VK_OEM_COMMA, false, 2, {',', '<'}},
    {VK_OEM_PERIOD, false, 2, {'.', '>'}},
    {VK_OEM_2, false, 2, {'/', '?'}},
    {VK_DECIMAL, false, 2, {'.', '.'}},
    {VK_TAB, false, 2, {'\t', '\t'}},
    {VK_ADD, false, 2, {'+', '+'}},
    {VK_DIVIDE, false, 2, {'/', '/'}},
    {VK_MULTIPLY, false, 2, {'*', '*'}},
    {VK_SUBTRACT, false, 2, {'-', '-'}},

    // Last, so that VkKeyScanA finds the digits on the main keys.
    Keypad(VK_NUMPAD0, '0'), Keypad(VK_NUMPAD1, '1'), Keypad(VK_NUMPAD2, '2'),
    Keypad(VK_NUMPAD3, '3'), Keypad(VK_NUMPAD4, '4'), Keypad(VK_NUMPAD5, '5'),
    Keypad(VK_NUMPAD6, '6'), Keypad(VK_NUMPAD7, '7'), Keypad(VK_NUMPAD8, '8'),
    Keypad(VK_NUMPAD9, '9'),
};

// kbdgr: modification numbers 0 plain, 1 Shift, 2 Ctrl+Alt (AltGr), 3 Ctrl,
// 4 Shift+Ctrl. Caps Lock works as a shift lock on the digit row and on
// sharp s, "+", "#", "," and "." too, not only on the letters.
constexpr KeyRow GermanRows[] = {
    {'3', true, 3, {'3', 0xA7, 0xB3}},
    {'7', true, 3, {'7', '/', '{'}},
    {'8', true, 3, {'8', '(', '['}},
    {'9', true, 3, {'9', ')', ']'}},
    {'0', true, 3, {'0', '=', '}'}},
    {VK_OEM_4, true, 3, {0xDF, '?', '\\'}},
    {'Q', true, 3, {'q', 'Q', '@'}},
    {'E', true, 3, {'e', 'E', 0x80}},
    {'M', true, 3, {'m', 'M', 0xB5}},
    {VK_OEM_102, false, 3, {'<', '>', '|'}},

    {VK_OEM_1, true, 4, {0xFC, 0xDC, None, 0x1B}},
    {VK_OEM_PLUS, true, 4, {'+', '*', '~', 0x1D}},
    {VK_OEM_2, true, 4, {'#', '\'', None, 0x1C}},
    {VK_BACK, false, 4, {'\b', '\b', None, 0x7F}},
    {VK_ESCAPE, false, 4, {0x1B, 0x1B, None, 0x1B}},
    {VK_RETURN, false, 4, {'\r', '\r', None, '\n'}},
    {VK_SPACE, false, 4, {' ', ' ', None, ' '}},
    {VK_CANCEL, false, 4, {0x03, 0x03, None, 0x03}},

    {'2', true, 5, {'2', '"', 0xB2, None, 0x00}},
    {'6', true, 5, {'6', '&', None, None, 0x1E}},
    {VK_OEM_MINUS, false, 5, {'-', '_', None, None, 0x1F}},

    {VK_OEM_5, false, 2, {Dead, 0xB0}},
    {NoKey, false, 2, {'^', None}},
    {'1', true, 2, {'1', '!'}},
    {'4', true, 2, {'4', '$'}},
    {'5', true, 2, {'5', '%'}},
    {VK_OEM_6, false, 2, {Dead, Dead}},
    {NoKey, false, 2, {0xB4, '`'}},
    Letter('W'), Letter('R'), Letter('T'), Letter('Z'), Letter('U'), Letter('I'),
    Letter('O'), Letter('P'), Letter('A'), Letter('S'), Letter('D'), Letter('F'),
    Letter('G'), Letter('H'), Letter('J'), Letter('K'), Letter('L'),
    {VK_OEM_3, true, 2, {0xF6, 0xD6}},
    {VK_OEM_7, true, 2, {0xE4, 0xC4}},
    Letter('Y'), Letter('X'), Letter('C'), Letter('V'), Letter('B'), Letter('N'),
    {VK_OEM_COMMA, true, 2, {',', ';'}},
    {VK_OEM_PERIOD, true, 2, {'.', ':'}},
    {VK_DECIMAL, false, 2, {',', ','}},
    {VK_TAB, false, 2, {'\t', '\t'}},
    {VK_ADD, false, 2, {'+', '+'}},
    {VK_DIVIDE, false, 2, {'/', '/'}},
    {VK_MULTIPLY, false, 2, {'*', '*'}},
    {VK_SUBTRACT, false, 2, {'-', '-'}},

    Keypad(VK_NUMPAD0, '0'), Keypad(VK_NUMPAD1, '1'), Keypad(VK_NUMPAD2, '2'),
    Keypad(VK_NUMPAD3, '3'), Keypad(VK_NUMPAD4, '4'), Keypad(VK_NUMPAD5, '5'),
    Keypad(VK_NUMPAD6, '6'), Keypad(VK_NUMPAD7, '7'), Keypad(VK_NUMPAD8, '8'),
    Keypad(VK_NUMPAD9, '9'),
};

constexpr DeadKey GermanDeadKeys[] = {
    {'^', 'a', '\xE2'}, {'^', 'e', '\xEA'}, {'^', 'i', '\xEE'}, {'^', 'o', '\xF4'},
    {'^', 'u', '\xFB'}, {'^', 'A', '\xC2'}, {'^', 'E', '\xCA'}, {'^', 'I', '\xCE'},
    {'^', 'O', '\xD4'}, {'^', 'U', '\xDB'}, {'^', ' ', '^'},

    {'\xB4', 'a', '\xE1'}, {'\xB4', 'e', '\xE9'}, {'\xB4', 'i', '\xED'},
    {'\xB4', 'o', '\xF3'}, {'\xB4', 'u', '\xFA'}, {'\xB4', 'y', '\xFD'},
    {'\xB4', 'A', '\xC1'}, {'\xB4', 'E', '\xC9'}, {'\xB4', 'I', '\xCD'},
    {'\xB4', 'O', '\xD3'}, {'\xB4', 'U', '\xDA'}, {'\xB4', 'Y', '\xDD'},
    {'\xB4', ' ', '\xB4'},

    {'`', 'a', '\xE0'}, {'`', 'e', '\xE8'}, {'`', 'i', '\xEC'}, {'`', 'o', '\xF2'},
    {'`', 'u', '\xF9'}, {'`', 'A', '\xC0'}, {'`', 'E', '\xC8'}, {'`', 'I', '\xCC'},
    {'`', 'O', '\xD2'}, {'`', 'U', '\xD9'}, {'`', ' ', '`'},
};

// The upper halves of the OEM code pages (437 on US systems, 850 on German
// ones) as code page 1252 bytes; "?" where 1252 has no such character (box
// drawing, most Greek letters).
constexpr std::array<std::uint8_t, 128> Oem437UpperHalf = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xA2, 0xA3, 0xA5, 0x3F, 0x83,
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0x3F, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
    0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F,
    0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F,
    0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F,
    0x3F, 0xDF, 0x3F, 0x3F, 0x3F, 0x3F, 0xB5, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F,
    0x3F, 0xB1, 0x3F, 0x3F, 0x3F, 0x3F, 0xF7, 0x3F, 0xB0, 0x3F, 0xB7, 0x3F, 0x3F, 0xB2, 0x3F, 0xA0,
};

constexpr std::array<std::uint8_t, 128> Oem850UpperHalf = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xF8, 0xA3, 0xD8, 0xD7, 0x83,
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0xAE, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
    0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0xC1, 0xC2, 0xC0, 0xA9, 0x3F, 0x3F, 0x3F, 0x3F, 0xA2, 0xA5, 0x3F,
    0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0xE3, 0xC3, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0xA4,
    0xF0, 0xD0, 0xCA, 0xCB, 0xC8, 0x3F, 0xCD, 0xCE, 0xCF, 0x3F, 0x3F, 0x3F, 0x3F, 0xA6, 0xCC, 0x3F,
    0xD3, 0xDF, 0xD4, 0xD2, 0xF5, 0xD5, 0xB5, 0xFE, 0xDE, 0xDA, 0xDB, 0xD9, 0xFD, 0xDD, 0xAF, 0xB4,
    0xAD, 0xB1, 0x3F, 0xBE, 0xB6, 0xA7, 0xF7, 0xB8, 0xB0, 0xA8, 0xB7, 0xB9, 0xB3, 0xB2, 0x3F, 0xA0,
};

const Layout& LayoutFor(KeyboardLayout layout) {
    static const Layout us{UsRows,
                           {0, 1, 2, 3, Invalid, Invalid, Invalid, Invalid},
                           {},
                           &UsScanCodes,
                           &Oem437UpperHalf};
    static const Layout german{GermanRows,
                               {0, 1, 3, 4, Invalid, Invalid, 2, Invalid},
                               GermanDeadKeys,
                               &GermanScanCodes,
                               &Oem850UpperHalf};
    return layout == KeyboardLayout::German ? german : us;
}

// The modifier bits that select a modification number: the first
// combination that maps to it.
unsigned ModifiersOf(const Layout& layout, unsigned modification) {
    for (unsigned bits = 0; bits < layout.modification.size(); ++bits) {
        if (layout.modification[bits] == modification) return bits;
    }
    return 0;
}

// VkKeyScanA takes a Ctrl or Shift+Ctrl key only when no other key types
// the character (Ctrl+Backspace for 0x7F).
bool IsCtrlColumn(const Layout& layout, unsigned column) {
    return column == layout.modification[Ctrl] || column == layout.modification[Shift | Ctrl];
}

// MapVirtualKeyA type 0. The whole code is compared with the virtual keys,
// so a code with shift-state bits above the low byte finds none. Shift, Ctrl
// and Alt give their left keys' scan codes, keys behind the 0xE0 prefix the
// scan code without it, and the keypad digits, which the scan-code table
// lists as cursor keys, come last.
std::uint32_t ScanCodeOf(const Layout& layout, std::uint32_t virtualKey) {
    if (virtualKey >= VK_SHIFT && virtualKey <= VK_MENU) {
        virtualKey = (virtualKey - VK_SHIFT) * 2 + VK_LSHIFT;
    }
    for (std::uint32_t scan = 0; scan < layout.scanCodes->size(); ++scan) {
        if ((*layout.scanCodes)[scan] == virtualKey) return scan;
    }
    for (const ScanCodeKey& key : ExtendedScanCodes) {
        if (key.virtualKey == virtualKey) return key.scanCode;
    }
    for (std::uint32_t i = 0; i < std::size(KeypadKeys); ++i) {
        if (KeypadKeys[i] == virtualKey) return FirstKeypadScanCode + i;
    }
    return 0;
}

// MapVirtualKeyA types 1 and 3.
std::uint32_t VirtualKeyOf(const Layout& layout, std::uint32_t scanCode, bool leftOrRight) {
    std::uint32_t virtualKey = NoKey;
    auto prefixed = [&](std::span<const ScanCodeKey> keys) {
        for (const ScanCodeKey& key : keys) {
            if (key.scanCode == (scanCode & 0xFF)) return std::uint32_t{key.virtualKey};
        }
        return std::uint32_t{NoKey};
    };
    if (scanCode < layout.scanCodes->size()) {
        virtualKey = (*layout.scanCodes)[scanCode];
    } else if ((scanCode & 0xFF00) == 0xE000) {
        virtualKey = prefixed(ExtendedScanCodes);
    } else if ((scanCode & 0xFF00) == 0xE100) {
        virtualKey = prefixed(PrefixE1ScanCodes);
    }
    if (!leftOrRight && virtualKey >= VK_LSHIFT && virtualKey <= VK_RMENU) {
        virtualKey = (virtualKey - VK_LSHIFT) / 2 + VK_SHIFT;
    }
    return virtualKey == NoKey ? 0 : virtualKey;
}

// MapVirtualKeyA type 2: the unshifted character; A to Z give the capital
// letter (the virtual key itself), a dead key its accent with bit 31 set.
// The rows are searched by their virtual key as they stand, so on the German
// layout code 0xFF meets the circumflex's accent row.
std::uint32_t CharacterOf(const Layout& layout, std::uint32_t virtualKey) {
    if (virtualKey >= 'A' && virtualKey <= 'Z') return virtualKey;
    for (std::size_t i = 0; i < layout.rows.size(); ++i) {
        const KeyRow& row = layout.rows[i];
        if (row.virtualKey != virtualKey) continue;
        if (row.cells[0] == Dead) {
            return static_cast<std::uint8_t>(layout.rows[i + 1].cells[0]) | 0x80000000u;
        }
        return static_cast<std::uint8_t>(row.cells[0]);
    }
    return 0;
}

bool IsDown(const std::uint8_t keyState[256], std::uint8_t virtualKey) {
    return keyState[virtualKey] & 0x80;
}

bool IsAltKey(std::uint8_t virtualKey) {
    return virtualKey == VK_MENU || virtualKey == VK_LMENU || virtualKey == VK_RMENU;
}

// The digit of a keypad key, with Num Lock on (VK_NUMPAD0-9) or off (the
// cursor keys of the keypad, told apart from the separate cursor keys by
// their scan code without the extended bit); -1 for any other key.
int KeypadDigit(std::uint8_t virtualKey, std::uint32_t keyData) {
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD9) return virtualKey - VK_NUMPAD0;
    if (keyData & ExtendedKeyBit) return -1;
    std::uint32_t scan = (keyData >> 16) & 0xFF;
    if (scan < FirstKeypadScanCode || scan >= FirstKeypadScanCode + std::size(KeypadKeys)) {
        return -1;
    }
    std::uint8_t keypadKey = KeypadKeys[scan - FirstKeypadScanCode];
    if (keypadKey < VK_NUMPAD0 || keypadKey > VK_NUMPAD9) return -1;
    return keypadKey - VK_NUMPAD0;
}

}  // namespace

std::int16_t LayoutVkKeyScan(KeyboardLayout layout, char character) {
    const Layout& tables = LayoutFor(layout);
    const auto wanted = static_cast<std::uint8_t>(character);
    std::int16_t ctrlKey = -1;
    for (std::size_t i = 0; i < tables.rows.size(); ++i) {
        const KeyRow& row = tables.rows[i];
        for (unsigned column = 0; column < row.width; ++column) {
            if (row.cells[column] != wanted) continue;
            std::uint8_t virtualKey =
                row.virtualKey == NoKey ? tables.rows[i - 1].virtualKey : row.virtualKey;
            auto code = static_cast<std::int16_t>(ModifiersOf(tables, column) << 8 | virtualKey);
            if (!IsCtrlColumn(tables, column)) return code;
            if (ctrlKey == -1) ctrlKey = code;
        }
    }
    return ctrlKey;
}

std::uint32_t LayoutMapVirtualKey(KeyboardLayout layout, std::uint32_t code,
                                  std::uint32_t mapType) {
    const Layout& tables = LayoutFor(layout);
    switch (mapType) {
        case 0: return ScanCodeOf(tables, code);
        case 1: return VirtualKeyOf(tables, code, false);
        case 2: return CharacterOf(tables, code);
        case 3: return VirtualKeyOf(tables, code, true);
        default: return 0;
    }
}

CharacterTranslator::CharacterTranslator(KeyboardLayout layout) : layout_(layout) {}

std::string CharacterTranslator::KeyDown(std::uint8_t virtualKey, std::uint32_t keyData,
                                         const std::uint8_t keyState[256]) {
    if (IsAltKey(virtualKey)) {
        // Holding Alt repeats its press; only a fresh press starts a new code.
        if (!(keyData & PreviousStateBit)) altCode_ = AltCode{};
        return std::string();
    }
    // Alt without Ctrl makes system keys: keypad digits add to an Alt code,
    // anything else gives at most a WM_SYSCHAR, which an edit control does
    // not type.
    bool systemKey = IsDown(keyState, VK_MENU) && !IsDown(keyState, VK_CONTROL);
    int digit = systemKey ? KeypadDigit(virtualKey, keyData) : -1;
    if (digit >= 0) {
        if (!altCode_.entered) altCode_.ansi = digit == 0;
        altCode_.entered = true;
        altCode_.value = (altCode_.value * 10 + static_cast<unsigned>(digit)) & 0xFF;
        return std::string();
    }
    altCode_ = AltCode{};
    if (systemKey) return std::string();
    return Translate(virtualKey, keyState);
}

std::string CharacterTranslator::KeyUp(std::uint8_t virtualKey, std::uint32_t,
                                       const std::uint8_t keyState[256]) {
    if (!IsAltKey(virtualKey) || IsDown(keyState, VK_MENU) || !altCode_.entered) {
        return std::string();
    }
    std::string typed = CompletedAltCode();
    altCode_ = AltCode{};
    return typed;
}

// ToAscii: the modifiers pick a modification number, Caps Lock flips Shift
// for the keys it affects, a dead key waits for the next character.
std::string CharacterTranslator::Translate(std::uint8_t virtualKey,
                                           const std::uint8_t keyState[256]) {
    if (virtualKey == NoKey) return std::string();
    const Layout& tables = LayoutFor(layout_);
    unsigned modifiers = (IsDown(keyState, VK_SHIFT) ? Shift : 0) |
                         (IsDown(keyState, VK_CONTROL) ? Ctrl : 0) |
                         (IsDown(keyState, VK_MENU) ? Alt : 0);
    bool capsLock = keyState[VK_CAPITAL] & 0x01;
    std::int16_t cell = None;
    for (std::size_t i = 0; i < tables.rows.size(); ++i) {
        const KeyRow& row = tables.rows[i];
        if (row.virtualKey != virtualKey) continue;
        if (row.capsLock && capsLock && (modifiers & ~Shift) == 0) modifiers ^= Shift;
        unsigned column = tables.modification[modifiers];
        if (column < row.width) cell = row.cells[column];
        if (cell == Dead) {
            char accent = static_cast<char>(tables.rows[i + 1].cells[column]);
            if (pendingAccent_) return Typed(accent);
            pendingAccent_ = accent;
            return std::string();
        }
        break;
    }
    // Ctrl+A to Ctrl+Z give 0x01 to 0x1A on every layout, though the
    // layouts list no Ctrl characters for the letters.
    bool ctrlOnly = (modifiers & ~Shift) == Ctrl;
    if (cell == None && ctrlOnly && virtualKey >= 'A' && virtualKey <= 'Z') {
        cell = static_cast<std::int16_t>(virtualKey - 'A' + 1);
    }
    if (cell == None) return std::string();
    return Typed(static_cast<char>(cell));
}

// A character after a dead key: the composed character, or the accent
// followed by the character when the two do not combine.
std::string CharacterTranslator::Typed(char character) {
    if (!pendingAccent_) return std::string(1, character);
    char accent = pendingAccent_;
    pendingAccent_ = 0;
    for (const DeadKey& dead : LayoutFor(layout_).deadKeys) {
        if (dead.accent == accent && dead.base == character) return std::string(1, dead.composed);
    }
    return std::string{accent, character};
}

// The Alt code's byte. Without the leading 0 it is a character of the OEM
// code page, which the window receives converted to code page 1252; the
// OEM control range shows symbols, of which only "\x95", "\xB6" and "\xA7"
// exist in 1252. A code of 0 types nothing.
std::string CharacterTranslator::CompletedAltCode() const {
    auto code = static_cast<std::uint8_t>(altCode_.value);
    if (code == 0) return std::string();
    if (altCode_.ansi) return std::string(1, static_cast<char>(code));
    std::uint8_t character = code;
    if (code >= 0x80) {
        character = (*LayoutFor(layout_).oemUpperHalf)[code - 0x80];
    } else if (code < 0x20 || code == 0x7F) {
        character = code == 0x07 ? 0x95 : code == 0x14 ? 0xB6 : code == 0x15 ? 0xA7 : '?';
    }
    return std::string(1, static_cast<char>(character));
}

}  // namespace sim
