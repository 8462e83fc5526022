#include "hook/macro_commands.h"

#include "common/control_messages.h"
#include "common/shell_open.h"
#include "hook/datetime_format.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

// The formats of one run of a macro.
struct Formats {
    std::string date;
    std::string time;
    std::string custom;
};

void RunSegment(const std::string& segment, TKeyRuleContext& context) {
    if (segment.size() >= 2 && segment[0] == '^') {
        if (!OpenDocument(context.Process, segment.substr(1))) {
            context.Process.Api.windows.MessageBeep(MB_ICONEXCLAMATION);
        }
    } else if (!segment.empty()) {
        TypeAndSwallow(context, segment);
    }
}

void TypeNow(TKeyRuleContext& context, const std::string& format) {
    SystemTime now{};
    context.Process.Api.system.GetLocalTime(&now);
    TypeAndSwallow(context, FormatTimestamp(context.Process.Regional, format, now));
}

void RequestShutdown(THookProcess& process) {
    Window control = FindControlWindow(process.Api.windows);
    if (control != 0) process.Api.windows.PostMessageA(control, UM_SHUTDOWN, 1, 0);
}

// "*4" and what follows it; i rests on the last character used. Positions
// are 0-based: L - 1 is the last character.
void RunDateCommand(const std::string& text, std::size_t& i, Formats& formats,
                    TKeyRuleContext& context) {
    std::size_t last = text.size() - 1;
    if (i >= last) return;
    switch (text[++i]) {
        case '0':
            if (!formats.custom.empty()) formats.date = formats.custom;
            TypeNow(context, formats.date);
            break;
        case '1':
            if (!formats.custom.empty()) formats.time = formats.custom;
            TypeNow(context, formats.time);
            break;
        case '9':
            // The character after "*49" is always consumed: a double quote
            // opens the format, anything else is dropped.
            ++i;
            if (i >= last) break;
            formats.custom.clear();
            if (text[i] != '"') break;
            for (++i; i <= last && text[i] != '"'; ++i) formats.custom += text[i];
            break;
        default:
            break;
    }
}

void RunCommand(const std::string& text, std::size_t& i, Formats& formats,
                TKeyRuleContext& context) {
    switch (text[++i]) {
        case '2': ToggleUmlautConversion(context, 0); break;
        case '3': ToggleUmlautConversion(context, 1); break;
        case '7': ToggleEasyTab(context); break;
        case '8': ToggleNumDot(context); break;
        case '9': RequestShutdown(context.Process); break;
        case '4': RunDateCommand(text, i, formats, context); break;
        default: break;
    }
}

}  // namespace

void RunMacro(const std::string& text, TKeyRuleContext& context) {
    if (text.empty()) return;
    const TRegionalFormats& regional = context.Process.Regional;
    Formats formats{regional.RegionalLongDate, regional.RegionalLongTime, std::string()};
    if (text[0] != '^') {
        TypeAndSwallow(context, text);
        return;
    }
    std::string segment = "^";
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '*') {
            // A final "*" is dropped and leaves the segment as it was.
            if (i + 1 == text.size()) continue;
            RunCommand(text, i, formats, context);
            segment.clear();
        } else if (text[i] == '^') {
            RunSegment(segment, context);
            segment = "^";
        } else {
            segment += text[i];
        }
    }
    RunSegment(segment, context);
    SwallowKey(context);
}

bool OpenDocument(THookProcess& process, const std::string& path) {
    return ShellOpen(process.Api, path);
}
