#include "setup/value_slot.h"

#include "common/cp1252.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

// The registry layer's own messages, code page 1252 ("\xFC" is u-umlaut).
constexpr const char* InvalidDataType = "Ung\xFCltiger Datentyp f\xFCr '%s'";
constexpr const char* CannotGetData = "Konnte Daten f\xFCr '%s' nicht holen";
constexpr const char* CannotSetData = "Konnte Daten f\xFCr '%s' nicht setzen";

std::string Fill(const char* pattern, const std::string& name) {
    std::string message = pattern;
    message.replace(message.find("%s"), 2, ShownName(name));
    return message;
}

std::uint8_t ByteOf(const std::optional<std::vector<std::uint8_t>>& data) {
    return data && !data->empty() ? data->front() : 0;
}

bool IsStringType(std::uint32_t type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// The settings store reads a flag from binary data and from every type it
// does not know, of at most one byte.
bool FitsKind(TSlotKind kind, std::uint32_t type, std::size_t size) {
    if (kind == TSlotKind::Text) return IsStringType(type);
    return !(IsStringType(type) || type == REG_DWORD) && size <= 1;
}

}  // namespace

TSlot::TSlot(std::string path, std::string name, TSlotKind kind)
    : path_(std::move(path)), name_(std::move(name)), kind_(kind) {}

void TSlot::Load(const TRegAccess& registry) {
    loaded_.reset();
    value_.reset();
    problem_.clear();
    touched_ = false;
    TRawValue raw = registry.Read(path_, name_);
    if (raw.Status == ERROR_FILE_NOT_FOUND) return;
    if (raw.Status != ERROR_SUCCESS) {
        problem_ = Fill(CannotGetData, name_);
        return;
    }
    loaded_ = raw.Data;
    loadedType_ = raw.Type;
    if (!FitsKind(kind_, raw.Type, raw.Data.size())) {
        problem_ = Fill(InvalidDataType, name_);
        return;
    }
    value_ = raw.Data;
}

bool TSlot::IsOn() const { return Byte() != 0; }

std::uint8_t TSlot::Byte() const { return kind_ == TSlotKind::Text ? 0 : ByteOf(value_); }

std::wstring TSlot::WideText() const {
    return value_ && kind_ == TSlotKind::Text ? WideTextOf(*value_) : std::wstring();
}

std::string TSlot::Text() const { return WideToCp1252(WideText()); }

void TSlot::SetOn(bool on) {
    touched_ = true;
    value_ = std::vector<std::uint8_t>{static_cast<std::uint8_t>(on ? 1 : 0)};
    // Switching back keeps what was stored: an "on" of 02 stays 02, and a
    // missing flag stays missing while it is off.
    if (problem_.empty() && (loaded_ ? (ByteOf(loaded_) != 0) == on : !on)) value_ = loaded_;
}

void TSlot::SetByte(std::uint8_t value) {
    touched_ = true;
    value_ = std::vector<std::uint8_t>{value};
    if (problem_.empty() && loaded_ && ByteOf(loaded_) == value && !loaded_->empty()) {
        value_ = loaded_;
    }
}

void TSlot::SetWideText(const std::wstring& text) {
    touched_ = true;
    value_ = WideStringData(text);
    if (problem_.empty() && (loaded_ ? WideTextOf(*loaded_) == text : text.empty())) value_ = loaded_;
}

// A text shown in code page 1252 and given back unchanged keeps what is
// stored, also the characters that code page lacks.
void TSlot::SetText(const std::string& text) {
    if (problem_.empty() && loaded_ && value_ == loaded_ && TextOf(*loaded_) == text) {
        touched_ = true;
        return;
    }
    SetWideText(Cp1252ToWide(text));
}

void TSlot::Remove() {
    touched_ = true;
    value_.reset();
}

bool TSlot::Changed() const {
    if (!problem_.empty()) return touched_;
    if (!value_) return loaded_.has_value();
    if (!loaded_) return true;
    if (kind_ == TSlotKind::Text) return WideTextOf(*loaded_) != WideTextOf(*value_);
    return *loaded_ != *value_;
}

std::uint32_t TSlot::TypeToWrite() const {
    if (kind_ != TSlotKind::Text) return REG_BINARY;
    return problem_.empty() && loaded_ && IsStringType(loadedType_) ? loadedType_ : REG_SZ;
}

std::vector<std::uint8_t> TSlot::DataToWrite() const {
    if (kind_ == TSlotKind::Text) return WideStringData(WideText());
    return {Byte()};
}

std::int32_t TSlot::Save(const TRegAccess& registry) {
    if (!Changed()) return ERROR_SUCCESS;
    if (!value_ && !problem_.empty() && !loaded_) return ERROR_SUCCESS;
    std::int32_t status = value_ ? registry.Write(path_, name_, TypeToWrite(), DataToWrite())
                                 : registry.Delete(path_, name_);
    if (status != ERROR_SUCCESS) return status;
    if (value_) {
        loadedType_ = TypeToWrite();
        value_ = DataToWrite();
        loaded_ = value_;
    } else {
        loaded_.reset();
    }
    problem_.clear();
    touched_ = false;
    return ERROR_SUCCESS;
}

std::string ErrorText(SystemApi& system, std::int32_t status) {
    char buffer[512] = {};
    std::uint32_t length =
        system.FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                              static_cast<std::uint32_t>(status), 0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text.empty() ? "Fehler " + std::to_string(status) : text;
}

std::string WriteFailure(SystemApi& system, const std::string& name, std::int32_t status) {
    return Fill(CannotSetData, name) + ": " + ErrorText(system, status);
}

std::string ShownName(const std::string& name) { return name.empty() ? "(Standard)" : name; }
