#pragma once
// The actions of one key: what its rules ask to be done once they have
// decided, in the order it is to be done. Each holds copies of what it
// needs and nothing of the state the next key's decision changes, so that
// the list can run after the decision, on another thread as well.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

enum class TKeyActionKind : std::uint8_t {
    Type,      // Text: keystroke text (hook/keystroke_text.h)
    TypeTime,  // Text: a date or time format, filled with the moment the action runs
    Open,      // Text: a program or document to open with the shell
    Shutdown,  // asks the tray program to shut Windows down
    Key,       // one key event of the library's own: Code, Press
};

struct TKeyAction {
    TKeyActionKind Kind;
    std::wstring Text;
    std::uint16_t Code = 0;
    bool Press = false;
    bool operator==(const TKeyAction&) const = default;
};

class TKeyActions {
public:
    void Type(std::wstring text) { list_.push_back({TKeyActionKind::Type, std::move(text)}); }
    void TypeTime(std::wstring format) { list_.push_back({TKeyActionKind::TypeTime, std::move(format)}); }
    void Open(std::wstring path) { list_.push_back({TKeyActionKind::Open, std::move(path)}); }
    void Shutdown() { list_.push_back({TKeyActionKind::Shutdown, {}}); }
    // Bit 15 of the code asks for the extended key.
    void Key(std::uint16_t code, bool press) { list_.push_back({TKeyActionKind::Key, {}, code, press}); }

    const std::vector<TKeyAction>& List() const { return list_; }

private:
    std::vector<TKeyAction> list_;
};
