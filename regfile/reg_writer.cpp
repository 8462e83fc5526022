#include "regfile/reg_writer.h"

#include <algorithm>
#include "common/cp1252.h"
#include "common/number_text.h"
#include "platform/win_constants.h"
#include "regfile/reg_file.h"

using namespace win;

namespace {

template <typename Text>
Text Quoted(const Text& text) {
    Text quoted(1, '"');
    for (auto c : text) {
        if (c == '\\' || c == '"') quoted += '\\';
        quoted += c;
    }
    return quoted + Text(1, '"');
}

std::string HexBytes(const std::vector<std::uint8_t>& data) {
    std::string hex;
    for (std::size_t i = 0; i < data.size(); ++i) hex += (i == 0 ? "" : ",") + HexDigits(data[i], 2, false);
    return hex;
}

// A string that a quoted text gives back exactly: one NUL at its end and
// no control character before it.
template <typename Text>
bool QuotableString(std::uint32_t type, const Text& text) {
    if (type != REG_SZ || text.empty() || text.back() != 0) return false;
    return std::none_of(text.begin(), text.end() - 1, [](auto c) {
        auto unit = static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<decltype(c)>>(c));
        return unit < 0x20 || unit == 0x7F;
    });
}

// The data after "=" other than a quoted text, the same in both formats.
std::string EncodedData(std::uint32_t type, const std::vector<std::uint8_t>& data) {
    if (type == REG_DWORD && data.size() == 4) {
        return "dword:" + HexDigits(data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24,
                                    8, false);
    }
    if (type == REG_BINARY) return "hex:" + HexBytes(data);
    return "hex(" + HexDigits(type, 1, false) + "):" + HexBytes(data);
}

std::wstring WideOf(const std::vector<std::uint8_t>& utf16) {
    return Utf16LeToWide(std::string_view(reinterpret_cast<const char*>(utf16.data()), utf16.size()));
}

// UTF-16LE that code page 1252 holds unit for unit.
bool FitsCp1252(const std::vector<std::uint8_t>& utf16) {
    return utf16.size() % 2 == 0 && CharactersOutsideCp1252(WideOf(utf16)).empty();
}

// REGEDIT4 keeps strings in code page 1252.
std::string Regedit4Data(std::uint32_t type, const std::vector<std::uint8_t>& data) {
    if (!IsConvertedString(type)) return EncodedData(type, data);
    std::string text = WideToCp1252(WideOf(data));
    if (QuotableString(type, text)) return Quoted(text.substr(0, text.size() - 1));
    return EncodedData(type, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::wstring Version5Data(std::uint32_t type, const std::vector<std::uint8_t>& data) {
    if (IsConvertedString(type) && data.size() % 2 == 0) {
        std::wstring text = WideOf(data);
        if (QuotableString(type, text)) return Quoted(text.substr(0, text.size() - 1));
    }
    return Cp1252ToWide(EncodedData(type, data));
}

std::string ValueName(const std::string& name) { return name.empty() ? std::string("@") : Quoted(name); }

}  // namespace

TRegWriter::TRegWriter() : regedit4_("REGEDIT4\r\n"), version5_(L"Windows Registry Editor Version 5.00\r\n") {}

void TRegWriter::Add(const std::string& line) {
    regedit4_ += line;
    version5_ += Cp1252ToWide(line);
}

void TRegWriter::DeleteKey(RegKey root, const std::string& path) {
    Add("\r\n[-" + RootName(root) + "\\" + path + "]\r\n");
}

void TRegWriter::Key(RegKey root, const std::string& path) { Add("\r\n[" + RootName(root) + "\\" + path + "]\r\n"); }

void TRegWriter::Value(const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& data) {
    if (IsConvertedString(type) && !FitsCp1252(data)) fitsCp1252_ = false;
    regedit4_ += ValueName(name) + "=" + Regedit4Data(type, data) + "\r\n";
    version5_ += Cp1252ToWide(ValueName(name) + "=") + Version5Data(type, data) + L"\r\n";
}

void TRegWriter::DeleteValue(const std::string& name) { Add(ValueName(name) + "=-\r\n"); }

std::string TRegWriter::Text() const {
    if (fitsCp1252_) return regedit4_ + "\r\n";
    return "\xFF\xFE" + WideToUtf16Le(version5_ + L"\r\n");
}
