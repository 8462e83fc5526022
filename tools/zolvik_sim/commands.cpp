#include "tools/zolvik_sim/commands.h"

#include <fstream>
#include <iterator>

#include "common/cp1252.h"
#include "hook/hook_process.h"
#include "hook/macro_store.h"
#include "hook/typing.h"
#include "macro/datetime_format.h"
#include "platform/sim/sim_locale.h"
#include "platform/sim/sim_machine.h"
#include "platform/win_constants.h"
#include "regfile/reg_file.h"
#include "tools/zolvik_sim/arguments.h"
#include "tools/zolvik_sim/help.h"
#include "tools/zolvik_sim/key_names.h"
#include "tools/zolvik_sim/moment.h"
#include "tools/zolvik_sim/report.h"
#include "tools/zolvik_sim/script.h"
#include "tools/zolvik_sim/session.h"
#include "tools/zolvik_sim/tool_error.h"

namespace {

constexpr win::Instance LibraryModule = 0x10000000;

// The reader's reasons are the system's German texts in code page 1252.
TRegFile ReadRegFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ToolError(path + ": cannot read the file");
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw ToolError(path + ": cannot read the file");
    try {
        return ParseRegFile(path, bytes);
    } catch (const RegFileError& error) {
        std::string line = error.Line() > 0 ? ":" + std::to_string(error.Line()) : std::string();
        throw ToolError(path + line + ": " + Cp1252ToUtf8(error.Reason()));
    }
}

std::string ToCp1252(const std::string& text, const char* what) {
    try {
        return Utf8ToCp1252(text);
    } catch (const TextError& error) {
        throw ToolError(std::string(what) + ": " + error.what());
    }
}

std::wstring ToWide(const std::string& text, const char* what) {
    try {
        return Utf8ToWide(text);
    } catch (const TextError& error) {
        throw ToolError(std::string(what) + ": " + error.what());
    }
}

sim::KeyboardLayout ParseLayout(const std::optional<std::string>& value) {
    if (!value || *value == "de") return sim::KeyboardLayout::German;
    if (*value == "us") return sim::KeyboardLayout::US;
    throw ToolError("--layout is de or us, not '" + *value + "'");
}

bool ParseWindowsNT(const std::optional<std::string>& value) {
    if (!value || *value == "nt") return true;
    if (*value == "9x") return false;
    throw ToolError("--platform is nt or 9x, not '" + *value + "'");
}

std::uint32_t ParseLocale(const std::optional<std::string>& value) {
    if (!value || *value == "de-DE") return sim::LocaleGerman;
    if (*value == "en-US") return sim::LocaleUS;
    throw ToolError("--locale is de-DE or en-US, not '" + *value + "'");
}

win::SystemTime ParseAt(const std::optional<std::string>& value) {
    return value ? ParseMoment(*value) : DefaultMoment;
}

int Name(const std::vector<std::string>& args, std::ostream& out) {
    TArguments arguments("name", args, {{"--umlaut", false, false}});
    arguments.ExpectOperands(1, "one key combination, such as AltGr+E");
    TKeyCombo combo = ParseKeyCombo(ToCp1252(arguments.Operands()[0], "KEYS"));
    out << MacroNameOf(combo, arguments.Has("--umlaut")) << '\n';
    return 0;
}

int Expand(const std::vector<std::string>& args, std::ostream& out) {
    TArguments arguments("expand", args, {});
    arguments.ExpectOperands(1, "one macro text");
    out << ShowBytes(ExpandDollarEscapes(ToCp1252(arguments.Operands()[0], "TEXT"))) << '\n';
    return 0;
}

int Format(const std::vector<std::string>& args, std::ostream& out) {
    TArguments arguments("format", args, {{"--at", true, false}, {"--locale", true, false}});
    arguments.ExpectOperands(1, "one format, such as dd.mm.yyyy");
    std::string format = ToCp1252(arguments.Operands()[0], "FORMAT");
    win::SystemTime moment = ParseAt(arguments.Value("--at"));
    sim::SimSystem system;
    system.SetThreadLocale(ParseLocale(arguments.Value("--locale")));
    TRegionalFormats regional = ReadRegionalFormats(system);
    out << Cp1252ToUtf8(FormatTimestamp(regional, format, moment)) << '\n';
    return 0;
}

// The synthesiser alone, without the hook: every event it makes reaches the
// application.
int Type(const std::vector<std::string>& args, std::ostream& out) {
    TArguments arguments("type", args,
                         {{"--layout", true, false}, {"--platform", true, false}, {"--expand", false, false}});
    arguments.ExpectOperands(1, "one text to type");
    std::wstring text = ToWide(arguments.Operands()[0], "TEXT");
    if (arguments.Has("--expand")) text = ExpandDollarEscapes(text);
    sim::SimMachine machine;
    machine.SetLayout(ParseLayout(arguments.Value("--layout")));
    machine.system.SetWindowsNT(ParseWindowsNT(arguments.Value("--platform")));
    THookProcess process(machine.platform, LibraryModule);
    TypeText(process, text);
    machine.DeliverInput();
    for (const sim::KeyInput& input : machine.keyboard.InjectedLog()) {
        const char* action = (input.flags & win::KEYEVENTF_KEYUP) ? "release" : "press";
        out << ShowKeyEvent(action, input.virtualKey, input.flags & win::KEYEVENTF_EXTENDEDKEY);
        if (input.virtualKey == win::VK_PACKET) out << " " << DescribeCodePoint(input.scanCode);
        out << '\n';
    }
    out << "received: " << QuoteText(machine.AppWideText()) << '\n';
    return 0;
}

std::string ReadScriptFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ToolError("cannot read the script file " + path);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The operands joined by blanks, or the file after "@".
std::string ScriptText(const std::vector<std::string>& operands) {
    if (operands.size() == 1 && operands[0].starts_with("@")) {
        return ToCp1252(ReadScriptFile(operands[0].substr(1)), operands[0].c_str());
    }
    std::string script;
    for (const std::string& operand : operands) script += (script.empty() ? "" : " ") + operand;
    return ToCp1252(script, "SCRIPT");
}

// A combination the system keeps for itself, as a key combination names it.
sim::HotKey ParseHotKey(const std::string& text) {
    TKeyCombo combo = ParseKeyCombo(ToCp1252(text, "--hot-key"));
    sim::HotKey hotKey;
    for (const TKeyRef& modifier : combo.Modifiers) {
        if (modifier.CapsLockOn) throw ToolError("--hot-key: Caps Lock is no modifier of a hot key");
        hotKey.shift |= modifier.VirtualKey == win::VK_SHIFT;
        hotKey.ctrl |= modifier.AltGr || modifier.VirtualKey == win::VK_CONTROL;
        hotKey.alt |= modifier.AltGr || modifier.VirtualKey == win::VK_MENU;
        hotKey.win |= modifier.VirtualKey == win::VK_RWIN;
    }
    bool modifierKey = combo.Key.AltGr || (combo.Key.VirtualKey >= win::VK_SHIFT && combo.Key.VirtualKey <= win::VK_MENU) ||
                       combo.Key.VirtualKey == win::VK_RWIN;
    if (modifierKey) throw ToolError("--hot-key: " + text + " ends in a modifier, not in a key");
    hotKey.virtualKey = combo.Key.VirtualKey;
    return hotKey;
}

TSessionOptions SessionOptions(const TArguments& arguments) {
    TSessionOptions options;
    options.Layout = ParseLayout(arguments.Value("--layout"));
    options.WindowsNT = ParseWindowsNT(arguments.Value("--platform"));
    options.Moment = ParseAt(arguments.Value("--at"));
    options.Locale = ParseLocale(arguments.Value("--locale"));
    options.DialogMode = arguments.Has("--dialog");
    if (auto program = arguments.Value("--program")) options.Program = ToCp1252(*program, "--program");
    options.PasswordField = arguments.Has("--password");
    for (const std::string& path : arguments.Values("--missing")) {
        options.MissingFiles.insert(Utf8ToWide(path));
    }
    for (const std::string& keys : arguments.Values("--hot-key")) options.HotKeys.push_back(ParseHotKey(keys));
    return options;
}

int Run(const std::vector<std::string>& args, std::ostream& out) {
    TArguments arguments("run", args,
                         {{"--reg", true, true}, {"--layout", true, false}, {"--platform", true, false},
                          {"--at", true, false}, {"--locale", true, false}, {"--caps-on", false, false},
                          {"--num-on", false, false}, {"--dialog", false, false}, {"--missing", true, true},
                          {"--events", false, false}, {"--hot-key", true, true}, {"--program", true, false},
                          {"--password", false, false}});
    TSessionOptions options = SessionOptions(arguments);
    std::vector<TRegFile> files;
    for (const std::string& path : arguments.Values("--reg")) files.push_back(ReadRegFile(path));
    std::vector<TStep> steps = ParseScript(ScriptText(arguments.Operands()));

    TSession session(options, files);
    if (arguments.Has("--caps-on")) session.SwitchLockOn(0x14);
    if (arguments.Has("--num-on")) session.SwitchLockOn(0x90);
    session.Run(steps);
    out << RunReport(session, arguments.Has("--events"));
    return 0;
}

int Help(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() > 1) throw ToolError("help: expects at most one topic");
    std::optional<std::string> text = HelpText(args.empty() ? "" : args[0]);
    if (!text) throw ToolError("help: no topic '" + args[0] + "' (zolvik-sim help lists them)");
    out << *text;
    return 0;
}

int Dispatch(const std::string& command, const std::vector<std::string>& args, std::ostream& out) {
    if (command == "help" || command == "--help" || command == "-h") return Help(args, out);
    if (command == "name") return Name(args, out);
    if (command == "expand") return Expand(args, out);
    if (command == "format") return Format(args, out);
    if (command == "type") return Type(args, out);
    if (command == "run") return Run(args, out);
    throw ToolError("unknown command '" + command + "' (zolvik-sim help lists them)");
}

// A message quotes parts of its input, which may span lines.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

}  // namespace

int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        if (args.empty()) throw ToolError("no command (zolvik-sim help lists them)");
        std::vector<std::string> rest(args.begin() + 1, args.end());
        return Dispatch(args[0], rest, out);
    } catch (const std::exception& error) {
        err << "zolvik-sim: " << OneLine(error.what()) << '\n';
    } catch (...) {
        err << "zolvik-sim: internal error\n";
    }
    return 1;
}
