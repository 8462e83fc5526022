#include "regfile/reg_file.h"

#include <algorithm>
#include "common/number_text.h"
#include "platform/win_constants.h"
#include "common/cp1252.h"

using namespace win;

namespace {

constexpr std::string_view Regedit4Header = "REGEDIT4";
constexpr std::string_view Version5Header = "Windows Registry Editor Version 5.00";
constexpr std::string_view HeaderHint =
    "die erste Zeile muss REGEDIT4 oder Windows Registry Editor Version 5.00 sein";

enum class Format { Regedit4, Version5 };

struct SourceLine {
    int number;
    std::string text;  // code page 1252, without the line end
};

struct Root {
    std::string_view name;
    std::string_view shortName;
    RegKey key;
};

constexpr Root Roots[] = {
    {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE},
    {"HKEY_CLASSES_ROOT", "HKCR", HKEY_CLASSES_ROOT},
};

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    return text;
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view Trim(std::string_view text) { return TrimRight(TrimLeft(text)); }

bool SameWord(std::string_view a, std::string_view b) { return UpperCase(a) == UpperCase(b); }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// 1 to 8 hex digits, the whole text.
bool ParseHex32(std::string_view text, std::uint32_t& value) {
    if (text.empty() || text.size() > 8) return false;
    value = 0;
    for (char c : text) {
        int digit = HexValue(c);
        if (digit < 0) return false;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return true;
}

// Why UTF-16LE bytes are no code page 1252 text.
std::string Utf16Problem(std::string_view bytes) {
    if (bytes.size() % 2 != 0) return "UTF-16-Daten mit einer ungeraden Zahl von Bytes";
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        auto unit = static_cast<char32_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8));
        if (!CodePointToCp1252(unit) || (unit >= 0xD800 && unit <= 0xDFFF)) {
            return "Zeichen U+" + HexDigits(static_cast<std::uint32_t>(unit), 4) + " gibt es in Codepage 1252 nicht";
        }
    }
    return std::string();
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

// A logical line goes on when its last character outside quotes is a
// backslash.
bool Continues(std::string_view line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (quoted && line[i] == '\\') {
            ++i;
        } else if (line[i] == '"') {
            quoted = !quoted;
        }
    }
    line = TrimRight(line);
    return !quoted && !line.empty() && line.back() == '\\';
}

class Parser {
public:
    Parser(const std::string& fileName, Format format, std::vector<SourceLine> lines)
        : fileName_(fileName), format_(format), lines_(std::move(lines)) {}

    TRegFile Parse() {
        TRegFile file{fileName_, {}};
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            std::string_view text = Trim(lines_[i].text);
            int number = lines_[i].number;
            if (text.empty() || text.front() == ';') continue;
            if (text.front() == '[') {
                ParseKeyLine(number, text, file);
            } else if (text.front() == '"' || text.front() == '@') {
                ParseValueLine(number, JoinContinuations(i), file);
            } else {
                Fail(number, "erwartet: [Schl\xFCssel], \"Name\"=Wert, @=Wert oder ein ; Kommentar");
            }
        }
        return file;
    }

private:
    struct Section {
        bool open = false;
        bool deleting = false;
        RegKey root = 0;
        std::string path;
    };

    [[noreturn]] void Fail(int line, const std::string& reason) const {
        throw RegFileError(fileName_, line, reason);
    }

    std::string JoinContinuations(std::size_t& i) const {
        std::string joined(TrimLeft(lines_[i].text));
        while (Continues(joined)) {
            if (i + 1 >= lines_.size()) Fail(lines_[i].number, "Fortsetzung (\\) am Ende der Datei");
            joined = std::string(TrimRight(joined));
            joined.pop_back();
            joined += TrimLeft(lines_[++i].text);
        }
        return joined;
    }

    void ParseKeyLine(int line, std::string_view text, TRegFile& file) {
        if (text.back() != ']') Fail(line, "Schl\xFCsselzeile ohne schlie\xDF" "ende ]");
        text = text.substr(1, text.size() - 2);
        bool deleting = !text.empty() && text.front() == '-';
        if (deleting) text.remove_prefix(1);
        std::size_t slash = text.find('\\');
        std::string_view rootName = text.substr(0, slash);
        std::string_view path = slash == std::string_view::npos ? std::string_view() : text.substr(slash + 1);
        section_ = Section{true, deleting, ParseRoot(line, rootName), std::string(path)};
        CheckPath(line, path);
        TRegAction action = deleting ? TRegAction::DeleteKey : TRegAction::CreateKey;
        file.Entries.push_back({action, line, section_.root, section_.path, {}, 0, {}});
    }

    RegKey ParseRoot(int line, std::string_view name) const {
        for (const Root& root : Roots) {
            if (SameWord(name, root.name) || SameWord(name, root.shortName)) return root.key;
        }
        Fail(line, "unbekannter Stammschl\xFCssel '" + std::string(name) +
                       "' (HKEY_CURRENT_USER, HKCU, HKEY_LOCAL_MACHINE, HKLM, HKEY_CLASSES_ROOT oder HKCR)");
    }

    void CheckPath(int line, std::string_view path) const {
        if (path.empty() && section_.deleting) Fail(line, "ein Stammschl\xFCssel kann nicht gel\xF6scht werden");
        if (path.empty()) return;
        std::size_t start = 0;
        while (start <= path.size()) {
            std::size_t end = std::min(path.find('\\', start), path.size());
            if (end == start) Fail(line, "leerer Schl\xFCsselname im Pfad '" + std::string(path) + "'");
            start = end + 1;
        }
    }

    void ParseValueLine(int line, std::string_view text, TRegFile& file) {
        if (!section_.open) Fail(line, "Wert vor dem ersten [Schl\xFCssel]");
        if (section_.deleting) Fail(line, "Wert unter einem Schl\xFCssel, der gel\xF6scht wird ([-...])");
        std::size_t pos = 0;
        std::string name;
        if (text.front() == '@') {
            pos = 1;
        } else {
            name = ReadQuoted(line, text, pos, "Wertname");
        }
        while (pos < text.size() && IsSpace(text[pos])) ++pos;
        if (pos >= text.size() || text[pos] != '=') Fail(line, "nach dem Wertnamen fehlt =");
        std::string_view data = Trim(text.substr(pos + 1));
        TRegEntry entry{TRegAction::SetValue, line, section_.root, section_.path, name, 0, {}};
        ParseData(line, data, entry);
        file.Entries.push_back(std::move(entry));
    }

    // A text in double quotes from text[pos], which is the opening quote;
    // pos ends after the closing quote.
    std::string ReadQuoted(int line, std::string_view text, std::size_t& pos, const char* what) const {
        std::string value;
        for (++pos; pos < text.size(); ++pos) {
            char c = text[pos];
            if (c == '"') {
                ++pos;
                return value;
            }
            if (c == '\\') {
                char next = pos + 1 < text.size() ? text[pos + 1] : '\0';
                if (next != '\\' && next != '"') {
                    Fail(line, std::string("unbekanntes Escape in ") + what +
                                   " (\\\\ f\xFCr einen Backslash, \\\" f\xFCr ein Anf\xFChrungszeichen)");
                }
                c = next;
                ++pos;
            }
            value += c;
        }
        Fail(line, std::string(what) + " ohne schlie\xDF" "endes Anf\xFChrungszeichen");
    }

    void ParseData(int line, std::string_view data, TRegEntry& entry) const {
        if (data == "-") {
            entry.Action = TRegAction::DeleteValue;
        } else if (!data.empty() && data.front() == '"') {
            std::size_t pos = 0;
            std::string text = ReadQuoted(line, data, pos, "Text");
            ExpectEnd(line, data.substr(pos));
            entry.Type = REG_SZ;
            entry.Data.assign(text.begin(), text.end());
            entry.Data.push_back(0);
        } else if (HasPrefix(data, "dword:")) {
            entry.Type = REG_DWORD;
            std::uint32_t value = 0;
            if (!ParseHex32(data.substr(6), value)) Fail(line, "dword: braucht 1 bis 8 Hex-Ziffern");
            for (int shift = 0; shift < 32; shift += 8) entry.Data.push_back(std::uint8_t(value >> shift));
        } else if (HasPrefix(data, "hex:")) {
            entry.Type = REG_BINARY;
            entry.Data = ParseBytes(line, data.substr(4));
        } else if (HasPrefix(data, "hex(")) {
            ParseTypedHex(line, data.substr(4), entry);
        } else {
            Fail(line, "unbekannte Wertdaten '" + std::string(data) +
                           "' (ein Text in Anf\xFChrungszeichen, dword:, hex:, hex(N): oder - zum L\xF6schen)");
        }
    }

    static bool HasPrefix(std::string_view data, std::string_view prefix) {
        return data.size() >= prefix.size() && SameWord(data.substr(0, prefix.size()), prefix);
    }

    void ExpectEnd(int line, std::string_view rest) const {
        if (!Trim(rest).empty()) {
            Fail(line, "unerwarteter Text nach dem Wert: '" + std::string(Trim(rest)) + "'");
        }
    }

    // "N):bytes" after "hex(". The string types hold UTF-16 in version 5
    // files and ANSI text in REGEDIT4 files.
    void ParseTypedHex(int line, std::string_view rest, TRegEntry& entry) const {
        std::size_t close = rest.find("):");
        if (close == std::string_view::npos || !ParseHex32(rest.substr(0, close), entry.Type)) {
            Fail(line, "hex(N): braucht einen Typ aus 1 bis 8 Hex-Ziffern");
        }
        entry.Data = ParseBytes(line, rest.substr(close + 2));
        bool stringType = entry.Type == REG_SZ || entry.Type == REG_EXPAND_SZ || entry.Type == REG_MULTI_SZ;
        if (format_ == Format::Version5 && stringType) entry.Data = FromUtf16(line, entry.Data);
    }

    std::vector<std::uint8_t> FromUtf16(int line, const std::vector<std::uint8_t>& data) const {
        try {
            std::string text = Utf16LeToCp1252(std::string(data.begin(), data.end()));
            return std::vector<std::uint8_t>(text.begin(), text.end());
        } catch (const TextError&) {
            Fail(line, "Textdaten in hex: " + Utf16Problem(std::string(data.begin(), data.end())));
        }
    }

    // Comma-separated bytes of one or two hex digits; a trailing comma is
    // allowed, an empty list gives no bytes.
    std::vector<std::uint8_t> ParseBytes(int line, std::string_view text) const {
        std::vector<std::uint8_t> bytes;
        text = Trim(text);
        if (!text.empty() && text.back() == ',') text.remove_suffix(1);
        if (text.empty()) return bytes;
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = std::min(text.find(',', start), text.size());
            std::string_view item = Trim(text.substr(start, end - start));
            std::uint32_t value = 0;
            if (item.size() > 2 || !ParseHex32(item, value)) {
                Fail(line, "Hex-Daten: '" + std::string(item) + "' ist kein Byte (eine oder zwei Hex-Ziffern)");
            }
            bytes.push_back(static_cast<std::uint8_t>(value));
            start = end + 1;
        }
        return bytes;
    }

    std::string fileName_;
    Format format_;
    std::vector<SourceLine> lines_;
    Section section_;
};

void CheckHeader(const std::string& fileName, const std::string& first, Format format) {
    std::string_view header = TrimRight(first);
    if (header == Regedit4Header && format == Format::Regedit4) return;
    if (header == Version5Header && format == Format::Version5) return;
    if (header == Version5Header) {
        throw RegFileError(fileName, 1, "eine Datei der Version 5.00 muss UTF-16LE mit Byte-Order-Mark sein");
    }
    if (header == Regedit4Header) {
        throw RegFileError(fileName, 1, "eine REGEDIT4-Datei muss in Codepage 1252 sein, nicht UTF-16");
    }
    throw RegFileError(fileName, 1, std::string(HeaderHint));
}

std::vector<SourceLine> Number(std::vector<std::string> lines) {
    std::vector<SourceLine> numbered;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        numbered.push_back({static_cast<int>(i + 1), std::move(lines[i])});
    }
    return numbered;
}

std::vector<SourceLine> DecodeCp1252(const std::string& fileName, std::string_view bytes) {
    std::vector<std::string> lines = SplitLines(bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find('\0') != std::string::npos) {
            throw RegFileError(fileName, static_cast<int>(i + 1),
                               "NUL-Byte in einer Datei in Codepage 1252 (eine UTF-16-Datei braucht ihr Byte-Order-Mark)");
        }
    }
    CheckHeader(fileName, lines.front(), Format::Regedit4);
    return Number(std::move(lines));
}

bool IsUtf16Comment(std::string_view line) {
    for (std::size_t i = 0; i + 1 < line.size(); i += 2) {
        if (line[i + 1] != '\0') return false;
        if (!IsSpace(line[i])) return line[i] == ';';
    }
    return false;
}

// UTF-16LE without the byte-order mark, line by line. A comment may hold
// any character; every other line must fit code page 1252.
std::vector<SourceLine> DecodeUtf16(const std::string& fileName, std::string_view bytes) {
    if (bytes.size() % 2 != 0) throw RegFileError(fileName, 0, "UTF-16-Datei mit einer ungeraden Zahl von Bytes");
    std::vector<std::string> units;  // each line's UTF-16LE bytes
    units.emplace_back();
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        if (bytes[i] == '\n' && bytes[i + 1] == '\0') {
            units.emplace_back();
        } else {
            units.back().append(bytes.substr(i, 2));
        }
    }
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::string& line = units[i];
        if (line.size() >= 2 && line[line.size() - 2] == '\r' && line.back() == '\0') line.resize(line.size() - 2);
        try {
            lines.push_back(Utf16LeToCp1252(line));
        } catch (const TextError&) {
            if (!IsUtf16Comment(line)) throw RegFileError(fileName, static_cast<int>(i + 1), Utf16Problem(line));
            lines.emplace_back(";");
        }
        // The registry's ANSI calls end a name at a NUL: a key or a value
        // named with one would be written under another name.
        if (lines.back().find('\0') != std::string::npos && !IsUtf16Comment(line)) {
            throw RegFileError(fileName, static_cast<int>(i + 1), "NUL-Zeichen in einer Zeile");
        }
    }
    CheckHeader(fileName, lines.front(), Format::Version5);
    return Number(std::move(lines));
}

bool StartsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

}  // namespace

RegFileError::RegFileError(const std::string& fileName, int line, const std::string& reason)
    : TMessageError(fileName + (line > 0 ? ", Zeile " + std::to_string(line) : std::string()) + ": " + reason),
      fileName_(fileName), line_(line), reason_(reason) {}

TRegFile ParseRegFile(const std::string& fileName, std::string_view bytes) {
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        throw RegFileError(fileName, 0,
                           "UTF-8 ist keine Kodierung von Registrierungsdateien; als REGEDIT4 in Codepage "
                           "1252 oder als Version 5.00 in UTF-16LE speichern");
    }
    if (StartsWith(bytes, "\xFE\xFF")) {
        throw RegFileError(fileName, 0, "UTF-16 Big-Endian ist keine Kodierung von Registrierungsdateien; UTF-16LE nehmen");
    }
    if (Trim(bytes).empty()) throw RegFileError(fileName, 1, "leere Datei: " + std::string(HeaderHint));
    if (StartsWith(bytes, "\xFF\xFE")) {
        return Parser(fileName, Format::Version5, DecodeUtf16(fileName, bytes.substr(2))).Parse();
    }
    return Parser(fileName, Format::Regedit4, DecodeCp1252(fileName, bytes)).Parse();
}

std::string RootName(RegKey root) {
    for (const Root& known : Roots) {
        if (known.key == root) return std::string(known.name);
    }
    return "HKEY_" + std::to_string(root);
}

void TRegImporter::Import(const TRegFile& file) {
    for (const TRegEntry& entry : file.Entries) {
        switch (entry.Action) {
            case TRegAction::CreateKey:
                CreateKey(file, entry);
                break;
            case TRegAction::DeleteKey:
                DeleteKey(file, entry);
                break;
            case TRegAction::SetValue:
                SetValue(file, entry);
                break;
            case TRegAction::DeleteValue:
                DeleteValue(file, entry);
                break;
        }
    }
}

namespace {

std::string KeyText(RegKey root, const std::string& path) {
    return "[" + RootName(root) + (path.empty() ? "" : "\\" + path) + "]";
}

std::string KeyText(const TRegEntry& entry) { return KeyText(entry.Root, entry.Path); }

std::string ErrorText(std::int32_t status) { return " (Fehler " + std::to_string(status) + ")"; }

// Key names are at most 255 characters.
constexpr std::uint32_t LongestKeyName = 256;

}  // namespace

void TRegImporter::CreateKey(const TRegFile& file, const TRegEntry& entry) {
    RegKey key = 0;
    std::int32_t status = registry_.RegCreateKeyExA(entry.Root, entry.Path.c_str(), REG_OPTION_NON_VOLATILE,
                                                    KEY_ALL_ACCESS, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        throw RegFileError(file.FileName, entry.Line,
                           "Schl\xFCssel " + KeyText(entry) + " kann nicht angelegt werden" + ErrorText(status));
    }
    registry_.RegCloseKey(key);
}

void TRegImporter::SetValue(const TRegFile& file, const TRegEntry& entry) {
    RegKey key = 0;
    std::int32_t status = registry_.RegCreateKeyExA(entry.Root, entry.Path.c_str(), REG_OPTION_NON_VOLATILE,
                                                    KEY_ALL_ACCESS, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        status = registry_.RegSetValueExA(key, entry.Name.c_str(), entry.Type, entry.Data.data(),
                                          static_cast<std::uint32_t>(entry.Data.size()));
        registry_.RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS) {
        throw RegFileError(file.FileName, entry.Line,
                           "\"" + entry.Name + "\" in " + KeyText(entry) + " kann nicht gesetzt werden" +
                               ErrorText(status));
    }
}

// Like the registry editor, deleting what is not there is no error.
void TRegImporter::DeleteValue(const TRegFile& file, const TRegEntry& entry) {
    RegKey key = 0;
    std::int32_t status = registry_.RegOpenKeyExA(entry.Root, entry.Path.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (status == ERROR_FILE_NOT_FOUND) return;
    if (status == ERROR_SUCCESS) {
        status = registry_.RegDeleteValueA(key, entry.Name.c_str());
        registry_.RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        throw RegFileError(file.FileName, entry.Line,
                           "\"" + entry.Name + "\" in " + KeyText(entry) + " kann nicht gel\xF6scht werden" +
                               ErrorText(status));
    }
}

// Windows deletes a key only once it has no subkeys: the whole tree goes,
// deepest first, whoever made its keys.
void TRegImporter::DeleteKey(const TRegFile& file, const TRegEntry& entry) {
    DeleteTree(file, entry, entry.Path);
}

void TRegImporter::DeleteTree(const TRegFile& file, const TRegEntry& entry, const std::string& path) {
    for (const std::string& subkey : SubkeyNames(entry.Root, path)) DeleteTree(file, entry, path + "\\" + subkey);
    std::int32_t status = registry_.RegDeleteKeyA(entry.Root, path.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        throw RegFileError(file.FileName, entry.Line,
                           "Schl\xFCssel " + KeyText(entry.Root, path) + " kann nicht gel\xF6scht werden" +
                               ErrorText(status));
    }
}

std::vector<std::string> TRegImporter::SubkeyNames(RegKey root, const std::string& path) {
    std::vector<std::string> names;
    RegKey key = 0;
    if (registry_.RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    char name[LongestKeyName];
    for (std::uint32_t index = 0;; ++index) {
        std::uint32_t size = LongestKeyName;
        if (registry_.RegEnumKeyExA(key, index, name, &size) != ERROR_SUCCESS) break;
        names.emplace_back(name, size);
    }
    registry_.RegCloseKey(key);
    return names;
}
