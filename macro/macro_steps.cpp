#include "macro/macro_steps.h"

namespace {

// The formats of one text: none stands for the regional long format.
struct Formats {
    std::optional<std::wstring> date;
    std::optional<std::wstring> time;
    std::wstring custom;
};

class TStepReader {
public:
    explicit TStepReader(std::wstring_view text) : text_(text) {}

    std::vector<TMacroStep> Read() {
        if (text_.empty()) return steps_;
        if (text_[0] != L'^') {
            Add(TMacroStepKind::Type, std::wstring(text_));
            return steps_;
        }
        std::wstring segment = L"^";
        for (std::size_t i = 1; i < text_.size(); ++i) {
            if (text_[i] == L'*') {
                // A final "*" is dropped and leaves the segment as it was.
                if (i + 1 == text_.size()) continue;
                Command(i);
                segment.clear();
            } else if (text_[i] == L'^') {
                Segment(segment);
                segment = L"^";
            } else {
                segment += text_[i];
            }
        }
        Segment(segment);
        return steps_;
    }

private:
    void Add(TMacroStepKind kind, std::wstring text = std::wstring(),
             std::optional<std::wstring> format = std::nullopt) {
        steps_.push_back(TMacroStep{kind, std::move(text), std::move(format)});
    }

    void Segment(const std::wstring& segment) {
        if (segment.size() >= 2 && segment[0] == L'^') {
            Add(TMacroStepKind::Open, segment.substr(1));
        } else if (!segment.empty()) {
            Add(TMacroStepKind::Type, segment);
        }
    }

    // i rests on the last character the command used.
    void Command(std::size_t& i) {
        switch (text_[++i]) {
            case L'2': Add(TMacroStepKind::UmlautAscii); break;
            case L'3': Add(TMacroStepKind::UmlautHtml); break;
            case L'7': Add(TMacroStepKind::EasyTab); break;
            case L'8': Add(TMacroStepKind::NumDot); break;
            case L'9': Add(TMacroStepKind::Shutdown); break;
            case L'4': DateCommand(i); break;
            default: break;
        }
    }

    // "*4" and what follows it. Positions are 0-based: the last character
    // is at size - 1.
    void DateCommand(std::size_t& i) {
        std::size_t last = text_.size() - 1;
        if (i >= last) return;
        switch (text_[++i]) {
            case L'0':
                if (!formats_.custom.empty()) formats_.date = formats_.custom;
                Add(TMacroStepKind::Date, std::wstring(), formats_.date);
                break;
            case L'1':
                if (!formats_.custom.empty()) formats_.time = formats_.custom;
                Add(TMacroStepKind::Time, std::wstring(), formats_.time);
                break;
            case L'9':
                // The character after "*49" is always consumed: a double
                // quote opens the format, anything else is dropped.
                ++i;
                if (i >= last) break;
                formats_.custom.clear();
                if (text_[i] != L'"') break;
                for (++i; i <= last && text_[i] != L'"'; ++i) formats_.custom += text_[i];
                break;
            default:
                break;
        }
    }

    std::wstring_view text_;
    Formats formats_;
    std::vector<TMacroStep> steps_;
};

}  // namespace

std::vector<TMacroStep> ReadMacroSteps(std::wstring_view text) { return TStepReader(text).Read(); }

bool IsTypingStep(TMacroStepKind kind) {
    return kind == TMacroStepKind::Type || kind == TMacroStepKind::Date || kind == TMacroStepKind::Time;
}
