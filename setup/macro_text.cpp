#include "setup/macro_text.h"

#include <cstdio>

#include "hook/macro_store.h"

namespace {

struct Formats {
    std::string date;
    std::string time;
    std::string custom;
};

class TStepReader {
public:
    TStepReader(const TRegionalFormats& regional, const win::SystemTime& now)
        : regional_(regional), now_(now) {}

    std::vector<TMacroStep> Read(const std::string& text) {
        steps_.clear();
        if (text.empty()) return steps_;
        formats_ = Formats{regional_.RegionalLongDate, regional_.RegionalLongTime, std::string()};
        if (text[0] != '^') {
            Add(TMacroStepKind::Type, text);
            return steps_;
        }
        std::string segment = "^";
        for (std::size_t i = 1; i < text.size(); ++i) {
            if (text[i] == '*') {
                if (i + 1 == text.size()) continue;
                Command(text, i);
                segment.clear();
            } else if (text[i] == '^') {
                Segment(segment);
                segment = "^";
            } else {
                segment += text[i];
            }
        }
        Segment(segment);
        return steps_;
    }

private:
    void Add(TMacroStepKind kind, const std::string& text) {
        // Pieces typed one after the other read as one text.
        if (kind == TMacroStepKind::Type && !steps_.empty() &&
            steps_.back().Kind == TMacroStepKind::Type) {
            steps_.back().Text += text;
        } else {
            steps_.push_back(TMacroStep{kind, text});
        }
    }

    void Segment(const std::string& segment) {
        if (segment.size() >= 2 && segment[0] == '^') {
            Add(TMacroStepKind::Open, segment.substr(1));
        } else if (!segment.empty()) {
            Add(TMacroStepKind::Type, segment);
        }
    }

    void Command(const std::string& text, std::size_t& i) {
        switch (text[++i]) {
            case '2': Add(TMacroStepKind::UmlautAscii, ""); break;
            case '3': Add(TMacroStepKind::UmlautHtml, ""); break;
            case '7': Add(TMacroStepKind::EasyTab, ""); break;
            case '8': Add(TMacroStepKind::NumDot, ""); break;
            case '9': Add(TMacroStepKind::Shutdown, ""); break;
            case '4': DateCommand(text, i); break;
            default: break;
        }
    }

    void DateCommand(const std::string& text, std::size_t& i) {
        std::size_t last = text.size() - 1;
        if (i >= last) return;
        switch (text[++i]) {
            case '0':
                if (!formats_.custom.empty()) formats_.date = formats_.custom;
                Add(TMacroStepKind::Date, FormatTimestamp(regional_, formats_.date, now_));
                break;
            case '1':
                if (!formats_.custom.empty()) formats_.time = formats_.custom;
                Add(TMacroStepKind::Time, FormatTimestamp(regional_, formats_.time, now_));
                break;
            case '9':
                ++i;
                if (i >= last) break;
                formats_.custom.clear();
                if (text[i] != '"') break;
                for (++i; i <= last && text[i] != '"'; ++i) formats_.custom += text[i];
                break;
            default:
                break;
        }
    }

    const TRegionalFormats& regional_;
    win::SystemTime now_;
    Formats formats_;
    std::vector<TMacroStep> steps_;
};

// Text shown in the list: control characters and the typing escapes of the
// keystroke encoding (0xFF) as dots, long texts cut.
std::string Excerpt(const std::string& text) {
    std::string shown;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        shown += byte < 0x20 || byte == 0xFF ? '.' : c;
        if (shown.size() >= 40) return "\"" + shown + "...\"";
    }
    return "\"" + shown + "\"";
}

std::string StepDescription(const TMacroStep& step) {
    switch (step.Kind) {
        case TMacroStepKind::Type: return "tippt " + Excerpt(step.Text);
        case TMacroStepKind::Date: return "f\xFCgt das Datum ein";
        case TMacroStepKind::Time: return "f\xFCgt die Uhrzeit ein";
        case TMacroStepKind::Open: return "\xF6" "ffnet " + step.Text;
        case TMacroStepKind::UmlautAscii: return "schaltet die Umlautwandlung um (ASCII)";
        case TMacroStepKind::UmlautHtml: return "schaltet die Umlautwandlung um (HTML)";
        case TMacroStepKind::EasyTab: return "schaltet EasyTab um";
        case TMacroStepKind::NumDot: return "schaltet NUM Punkt um";
        case TMacroStepKind::Shutdown: return "f\xE4hrt Windows herunter";
    }
    return std::string();
}

bool IsTyped(TMacroStepKind kind) {
    return kind == TMacroStepKind::Type || kind == TMacroStepKind::Date ||
           kind == TMacroStepKind::Time;
}

std::string Join(const std::vector<std::string>& parts) {
    std::string joined;
    for (const std::string& part : parts) joined += (joined.empty() ? "" : ", ") + part;
    return joined;
}

}  // namespace

std::vector<TMacroStep> MacroSteps(const std::string& storedText, const TRegionalFormats& regional,
                                   const win::SystemTime& now) {
    return TStepReader(regional, now).Read(ExpandDollarEscapes(storedText));
}

std::string DescribeMacro(const std::string& storedText) {
    std::vector<std::string> parts;
    for (const TMacroStep& step : MacroSteps(storedText, TRegionalFormats{}, win::SystemTime{})) {
        parts.push_back(StepDescription(step));
    }
    return parts.empty() ? "tut nichts" : Join(parts);
}

std::string PreviewMacro(const std::string& storedText, const TRegionalFormats& regional,
                         const win::SystemTime& now) {
    std::string preview;
    for (const TMacroStep& step : MacroSteps(storedText, regional, now)) {
        preview += IsTyped(step.Kind) ? step.Text : "[" + StepDescription(step) + "]";
    }
    return preview;
}

std::string StoredPlainText(const std::string& text) {
    std::string stored;
    char escape[4];
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '$') {
            stored += "$$";
        } else if (byte < 0x20 || byte == 0xFF) {
            std::snprintf(escape, sizeof escape, "$%02X", byte);
            stored += escape;
        } else {
            stored += c;
        }
    }
    return stored;
}

TCommandResult AppendCommand(const std::string& storedText, TMacroCommand command,
                             const std::string& argument) {
    std::string piece;
    switch (command) {
        case TMacroCommand::Date: piece = "^*40"; break;
        case TMacroCommand::Time: piece = "^*41"; break;
        case TMacroCommand::DateFormat:
        case TMacroCommand::TimeFormat:
            if (argument.find('"') != std::string::npos) {
                return {false, storedText, "Ein eigenes Format kann kein \" enthalten."};
            }
            piece = "^*49\"" + argument + "\"" + (command == TMacroCommand::DateFormat ? "*40" : "*41");
            break;
        case TMacroCommand::Open:
            if (argument.empty()) return {false, storedText, "Kein Programm oder Dokument gew\xE4hlt."};
            if (argument.find_first_of("^*") != std::string::npos) {
                return {false, storedText, "Ein Pfad mit ^ oder * kann nicht ge\xF6" "ffnet werden."};
            }
            piece = "^" + StoredPlainText(argument);
            break;
        case TMacroCommand::UmlautAscii: piece = "^*2"; break;
        case TMacroCommand::UmlautHtml: piece = "^*3"; break;
        case TMacroCommand::EasyTab: piece = "^*7"; break;
        case TMacroCommand::NumDot: piece = "^*8"; break;
        case TMacroCommand::Shutdown: piece = "^*9"; break;
    }
    // The text is stored anew: a "$" that ended it would otherwise take the
    // command's first characters as an escape.
    std::string expanded = ExpandDollarEscapes(storedText);
    if (expanded.empty() || expanded[0] == '^') return {true, StoredPlainText(expanded) + piece, ""};
    // A plain text is typed first: after "*0", a command that does nothing,
    // text is typed up to the next "^".
    if (expanded.find_first_of("^*") != std::string::npos) {
        return {false, storedText,
                "Ein Text mit ^ oder * kann nicht mit Befehlen verbunden werden."};
    }
    return {true, "^*0" + StoredPlainText(expanded) + piece, ""};
}
