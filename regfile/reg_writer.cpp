#include "regfile/reg_writer.h"

#include <algorithm>
#include "common/number_text.h"
#include "platform/win_constants.h"
#include "regfile/reg_file.h"

using namespace win;

namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string HexBytes(const std::vector<std::uint8_t>& data) {
    std::string hex;
    for (std::size_t i = 0; i < data.size(); ++i) hex += (i == 0 ? "" : ",") + HexDigits(data[i], 2, false);
    return hex;
}

// A string that a quoted text gives back exactly: one NUL at its end and
// no control character before it.
bool QuotableString(std::uint32_t type, const std::vector<std::uint8_t>& data) {
    if (type != REG_SZ || data.empty() || data.back() != 0) return false;
    return std::none_of(data.begin(), data.end() - 1,
                        [](std::uint8_t byte) { return byte < 0x20 || byte == 0x7F; });
}

std::string ValueData(std::uint32_t type, const std::vector<std::uint8_t>& data) {
    if (QuotableString(type, data)) return Quoted(std::string(data.begin(), data.end() - 1));
    if (type == REG_DWORD && data.size() == 4) {
        return "dword:" + HexDigits(data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24,
                                    8, false);
    }
    if (type == REG_BINARY) return "hex:" + HexBytes(data);
    return "hex(" + HexDigits(type, 1, false) + "):" + HexBytes(data);
}

std::string ValueName(const std::string& name) { return name.empty() ? std::string("@") : Quoted(name); }

}  // namespace

TRegWriter::TRegWriter() : text_("REGEDIT4\r\n") {}

void TRegWriter::DeleteKey(RegKey root, const std::string& path) {
    text_ += "\r\n[-" + RootName(root) + "\\" + path + "]\r\n";
}

void TRegWriter::Key(RegKey root, const std::string& path) {
    text_ += "\r\n[" + RootName(root) + "\\" + path + "]\r\n";
}

void TRegWriter::Value(const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& data) {
    text_ += ValueName(name) + "=" + ValueData(type, data) + "\r\n";
}

void TRegWriter::DeleteValue(const std::string& name) { text_ += ValueName(name) + "=-\r\n"; }
