#pragma once
// Scripts of key presses for "zolvik-sim run". Tokens are separated by
// blanks or line ends; "#" at the start of a token comments out the rest of
// the line.
//   AltGr+E          tap: the modifiers are pressed in order, the key is
//                    pressed and released, the modifiers released in reverse
//   down:Shift       press one key (or modifier) and keep it down
//   up:Shift         release it
//   hold:F1*3        press a key 3 times without releasing it (the first
//                    press and 2 auto-repeats), then release it; modifiers
//                    allowed: hold:AltGr+F1*3
//   "Hallo Welt"     type the text as a user would, key by key with Shift
//                    or AltGr where the layout needs them; \" and \\ inside
//   CapsLock         a lock key is tapped like any other key
//   after:5 up:AltGr the next step happens while the system types: its key
//                    events come after the next 5 events the system types
//   focus:other      the focus moves to the text window of another program
//   focus:back       and back to the first one
#include <string>
#include <string_view>
#include <vector>

#include "tools/zolvik_sim/key_names.h"

enum class TStepKind { Tap, Down, Up, Hold, Text, Focus };

struct TStep {
    TStepKind Kind;
    std::vector<TKeyRef> Held;  // Tap and Hold: pressed around the key
    TKeyRef Key;
    int Count = 1;              // Hold: presses of the key
    std::string Text;           // Text: code page 1252
    bool ToOther = false;       // Focus: to the other program's window, or back
    int AfterTyped = 0;         // happens after this many more typed events
};

inline constexpr int MaxHoldCount = 1000;

// Throws ToolError naming the token at fault.
std::vector<TStep> ParseScript(std::string_view script);
