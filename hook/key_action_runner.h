#pragma once
#include <functional>
#include <string>

#include "hook/hook_process.h"
#include "hook/key_actions.h"

// Runs the actions of one key in their order. Every text of the key goes
// to the window in front when the first of them is typed (TTypingTarget).
// Each event it makes is expected in process.Synthesised, as SendKey does;
// besides that record it reads only what does not change after the process
// state is made: the platform, IsWinNT and the regional formats.
void RunKeyActions(THookProcess& process, const TKeyActions& actions);

// How a hook types the texts and single key events of the actions (bit 15
// of a key code asks for the extended key).
struct TKeyTypist {
    std::function<void(const std::wstring& text)> Type;
    std::function<void(std::uint16_t code, bool press)> Key;
};
// The same with another hook's typing; the rest as above.
void RunKeyActions(THookProcess& process, const TKeyActions& actions, const TKeyTypist& typist);
