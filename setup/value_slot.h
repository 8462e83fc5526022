#pragma once
// One registry value as a page of the configuration program shows it: what
// was read, what the user made of it, and whether it has to be written.
// A value of the wrong type is kept as it is and reported with its name;
// it is rewritten, in the right type, only when the user has set it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "setup/reg_access.h"

enum class TSlotKind {
    Flag,  // REG_BINARY of one byte, on when not 0
    Byte,  // REG_BINARY of one byte, any value
    Text,  // REG_SZ or REG_EXPAND_SZ
};

class TSlot {
public:
    TSlot(std::string path, std::string name, TSlotKind kind);

    void Load(const TRegAccess& registry);

    const std::string& Path() const { return path_; }
    const std::string& Name() const { return name_; }
    TSlotKind Kind() const { return kind_; }
    // Empty when the value was read; otherwise why it cannot be shown,
    // naming the value ("Ungültiger Datentyp für 'EasyTab'").
    const std::string& Problem() const { return problem_; }
    bool Exists() const { return loaded_.has_value(); }
    // The page has a value for it (not deleted, not missing).
    bool HasValue() const { return value_.has_value(); }

    // What the page shows: missing and unreadable values show as off, 0 or
    // empty.
    bool IsOn() const;
    std::uint8_t Byte() const;
    std::wstring WideText() const;
    // The text in code page 1252, "?" for what it lacks.
    std::string Text() const;

    void SetOn(bool on);
    void SetByte(std::uint8_t value);
    void SetWideText(const std::wstring& text);
    void SetText(const std::string& text);
    // The value is to be deleted (a binding removed, for example).
    void Remove();

    bool Changed() const;
    // Writes the value when it changed; Windows' error code, ERROR_SUCCESS
    // when nothing had to be written. After a successful write the slot
    // counts as loaded with the new value.
    std::int32_t Save(const TRegAccess& registry);

private:
    std::vector<std::uint8_t> DataToWrite() const;
    std::uint32_t TypeToWrite() const;

    std::string path_;
    std::string name_;
    TSlotKind kind_;
    std::optional<std::vector<std::uint8_t>> loaded_;  // the stored bytes
    std::uint32_t loadedType_ = 0;
    std::optional<std::vector<std::uint8_t>> value_;  // what is to be stored
    std::string problem_;
    bool touched_ = false;
};

// "Konnte Daten für 'NAME' nicht setzen: REASON", with Windows' own text for
// the error code.
std::string WriteFailure(win::SystemApi& system, const std::string& name, std::int32_t status);
// Windows' text for an error code, without its line end; "Fehler N" when
// Windows has none.
std::string ErrorText(win::SystemApi& system, std::int32_t status);

// A value name for messages: the default value is "(Standard)".
std::string ShownName(const std::string& name);
