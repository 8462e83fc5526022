// The script language of "zolvik-sim run".
#include <gtest/gtest.h>

#include "tools/zolvik_sim/script.h"
#include "tools/zolvik_sim/tool_error.h"

namespace {

// A step as text, to compare whole scripts at a glance.
std::string Show(const TStep& step) {
    auto key = [](const TKeyRef& ref) {
        if (ref.AltGr) return std::string("AltGr");
        char text[8];
        std::snprintf(text, sizeof text, "%02X%s", ref.VirtualKey, ref.Extended ? "x" : "");
        return std::string(text);
    };
    std::string held;
    for (const TKeyRef& modifier : step.Held) held += key(modifier) + "+";
    switch (step.Kind) {
        case TStepKind::Tap: return "tap " + held + key(step.Key);
        case TStepKind::Hold: return "hold " + held + key(step.Key) + "*" + std::to_string(step.Count);
        case TStepKind::Down: return "down " + key(step.Key);
        case TStepKind::Up: return "up " + key(step.Key);
        case TStepKind::Text: return "text " + step.Text;
        case TStepKind::Focus: return step.ToOther ? "focus other" : "focus back";
    }
    return "";
}

std::vector<std::string> Steps(const std::string& script) {
    std::vector<std::string> shown;
    for (const TStep& step : ParseScript(script)) shown.push_back(Show(step));
    return shown;
}

TEST(ScriptTest, Tokens) {
    struct Case {
        std::string script;
        std::vector<std::string> steps;
    };
    const Case cases[] = {
        {"AltGr+E shift+a", {"tap AltGr+45", "tap 10+41"}},
        {"down:Shift a up:Shift", {"down 10", "tap 41", "up 10"}},
        {"down:AltGr up:AltGr", {"down AltGr", "up AltGr"}},
        {"hold:F1*3 hold:AltGr+F1*1", {"hold 70*3", "hold AltGr+70*1"}},
        {"\"Hallo Welt\" Enter", {"text Hallo Welt", "tap 0D"}},
        {"\"say \\\"hi\\\" C:\\\\\"", {"text say \"hi\" C:\\"}},
        {"\"\"", {"text "}},
        {"Home NumHome Win+E", {"tap 24x", "tap 24", "tap 5Cx+45"}},
        {"CapsLock # a comment \"ignored\" AltGr+E\n  NumLock\t#\n", {"tap 14", "tap 90"}},
        {"", {}},
        {"after:5 up:AltGr E", {"up AltGr", "tap 45"}},
        {"focus:other a after:3 focus:back", {"focus other", "tap 41", "focus back"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Steps(c.script), c.steps) << c.script;
}

TEST(ScriptTest, Errors) {
    struct Case {
        std::string script;
        std::string message;
    };
    const Case cases[] = {
        {"AltGr+E Shfit+a", "script: at 'Shfit+a': unknown key name 'Shfit'"},
        {"CapsLock+a", "script: at 'CapsLock+a': Caps Lock is a lock key"},
        {"down:Shift+A", "script: at 'down:Shift+A': down: and up: take one key"},
        {"up:", "script: at 'up:': empty key name"},
        {"hold:F1", "script: at 'hold:F1': hold: needs *N"},
        {"hold:F1*0", "hold: needs a count of 1 to 1000"},
        {"hold:F1*1001", "hold: needs a count of 1 to 1000"},
        {"hold:F1*99999999999", "hold: needs a count of 1 to 1000"},
        {"hold:F1*x", "hold: needs a count of 1 to 1000"},
        {"\"open", "script: at '\"open': text without its closing quote"},
        {"\"a\\n\"", "in a text only \\\" and \\\\ are escapes"},
        {"\"multi\nline", "text without its closing quote"},
        {"after:0 A", "script: at 'after:0': after: needs a count of 1 to 1000"},
        {"after:x A", "after: needs a count of 1 to 1000"},
        {"A after:3", "after: needs a step to follow"},
        {"focus:elsewhere", "script: at 'focus:elsewhere': focus: is focus:other or focus:back"},
    };
    for (const Case& c : cases) {
        try {
            ParseScript(c.script);
            ADD_FAILURE() << c.script << ": accepted";
        } catch (const ToolError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << c.script << ": " << error.what();
        }
    }
}

}  // namespace
