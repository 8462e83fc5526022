#include "tools/zolvik_sim/script.h"

#include <utility>

#include "common/cp1252.h"
#include "tools/zolvik_sim/tool_error.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool HasPrefix(std::string_view token, std::string_view prefix) {
    return token.substr(0, prefix.size()) == prefix;
}

void CheckNoLockModifier(const TKeyCombo& combo) {
    for (const TKeyRef& modifier : combo.Modifiers) {
        if (modifier.CapsLockOn) {
            throw ToolError("Caps Lock is a lock key: tap it on its own (CapsLock) or start with --caps-on");
        }
    }
}

TStep Tap(std::string_view token) {
    TKeyCombo combo = ParseKeyCombo(token);
    CheckNoLockModifier(combo);
    return TStep{TStepKind::Tap, combo.Modifiers, combo.Key, 1, {}};
}

TStep Single(TStepKind kind, std::string_view name) {
    if (name.find('+') != std::string_view::npos) {
        throw ToolError("down: and up: take one key; press modifiers with down: of their own");
    }
    return TStep{kind, {}, ParseKeyName(name), 1, {}};
}

// 1 to MaxHoldCount; 0 for anything else.
int ParseCount(std::string_view digits) {
    bool valid = !digits.empty() && digits.size() <= 4;
    int count = 0;
    for (std::size_t i = 0; valid && i < digits.size(); ++i) {
        valid = digits[i] >= '0' && digits[i] <= '9';
        count = count * 10 + (digits[i] - '0');
    }
    return valid && count >= 1 && count <= MaxHoldCount ? count : 0;
}

std::string CountRange() { return "a count of 1 to " + std::to_string(MaxHoldCount); }

TStep Hold(std::string_view rest) {
    std::size_t star = rest.rfind('*');
    if (star == std::string_view::npos) throw ToolError("hold: needs *N, the number of presses (hold:F1*3)");
    TStep step = Tap(rest.substr(0, star));
    step.Kind = TStepKind::Hold;
    step.Count = ParseCount(rest.substr(star + 1));
    if (step.Count == 0) throw ToolError("hold: needs " + CountRange() + " after *");
    return step;
}

// A text in double quotes from script[pos], the opening quote; pos ends
// after the closing one.
TStep QuotedText(std::string_view script, std::size_t& pos) {
    std::string text;
    for (++pos; pos < script.size(); ++pos) {
        char c = script[pos];
        if (c == '"') {
            ++pos;
            return TStep{TStepKind::Text, {}, {}, 1, text};
        }
        if (c == '\\') {
            char next = pos + 1 < script.size() ? script[pos + 1] : '\0';
            if (next != '"' && next != '\\') throw ToolError("in a text only \\\" and \\\\ are escapes");
            c = next;
            ++pos;
        }
        text += c;
    }
    throw ToolError("text without its closing quote");
}

TStep Focus(std::string_view where) {
    if (where != "other" && where != "back") throw ToolError("focus: is focus:other or focus:back");
    TStep step{TStepKind::Focus, {}, {}, 1, {}};
    step.ToOther = where == "other";
    return step;
}

TStep KeyStep(std::string_view token) {
    if (HasPrefix(token, "focus:")) return Focus(token.substr(6));
    if (HasPrefix(token, "down:")) return Single(TStepKind::Down, token.substr(5));
    if (HasPrefix(token, "up:")) return Single(TStepKind::Up, token.substr(3));
    if (HasPrefix(token, "hold:")) return Hold(token.substr(5));
    return Tap(token);
}

}  // namespace

std::vector<TStep> ParseScript(std::string_view script) {
    std::vector<TStep> steps;
    int afterTyped = 0;
    std::size_t pos = 0;
    while (pos < script.size()) {
        if (IsBlank(script[pos])) {
            ++pos;
        } else if (script[pos] == '#') {
            while (pos < script.size() && script[pos] != '\n') ++pos;
        } else {
            std::size_t start = pos;
            bool quoted = script[pos] == '"';
            if (!quoted) {
                while (pos < script.size() && !IsBlank(script[pos])) ++pos;
            }
            std::string_view token = script.substr(start, pos - start);
            try {
                if (!quoted && HasPrefix(token, "after:")) {
                    afterTyped = ParseCount(token.substr(6));
                    if (afterTyped == 0) throw ToolError("after: needs " + CountRange());
                    continue;
                }
                steps.push_back(quoted ? QuotedText(script, pos) : KeyStep(token));
                steps.back().AfterTyped = std::exchange(afterTyped, 0);
            } catch (const ToolError& error) {
                std::string shown(script.substr(start, std::min<std::size_t>(pos - start, 40)));
                throw ToolError("script: at '" + Cp1252ToUtf8(shown) + "': " + error.what());
            }
        }
    }
    if (afterTyped != 0) throw ToolError("script: after: needs a step to follow");
    return steps;
}
