#include "regfile/reg_file.h"

#include <algorithm>

#include "platform/win_constants.h"
#include "common/cp1252.h"

using namespace win;

namespace {

constexpr std::string_view Regedit4Header = "REGEDIT4";
constexpr std::string_view Version5Header = "Windows Registry Editor Version 5.00";
constexpr std::string_view HeaderHint =
    "the first line must be REGEDIT4 or Windows Registry Editor Version 5.00";

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
                Fail(number, "expected [key], \"name\"=value, @=value or a ; comment");
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
            if (i + 1 >= lines_.size()) Fail(lines_[i].number, "continuation (\\) at the end of the file");
            joined = std::string(TrimRight(joined));
            joined.pop_back();
            joined += TrimLeft(lines_[++i].text);
        }
        return joined;
    }

    void ParseKeyLine(int line, std::string_view text, TRegFile& file) {
        if (text.back() != ']') Fail(line, "key line without its closing ]");
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
        Fail(line, "unknown root '" + Cp1252ToUtf8(name) +
                       "' (HKEY_CURRENT_USER, HKCU, HKEY_LOCAL_MACHINE, HKLM, HKEY_CLASSES_ROOT or HKCR)");
    }

    void CheckPath(int line, std::string_view path) const {
        if (path.empty() && section_.deleting) Fail(line, "a root key cannot be deleted");
        if (path.empty()) return;
        std::size_t start = 0;
        while (start <= path.size()) {
            std::size_t end = std::min(path.find('\\', start), path.size());
            if (end == start) Fail(line, "empty key name in the path '" + Cp1252ToUtf8(path) + "'");
            start = end + 1;
        }
    }

    void ParseValueLine(int line, std::string_view text, TRegFile& file) {
        if (!section_.open) Fail(line, "value before the first [key]");
        if (section_.deleting) Fail(line, "value under a key that is being deleted ([-...])");
        std::size_t pos = 0;
        std::string name;
        if (text.front() == '@') {
            pos = 1;
        } else {
            name = ReadQuoted(line, text, pos, "value name");
        }
        while (pos < text.size() && IsSpace(text[pos])) ++pos;
        if (pos >= text.size() || text[pos] != '=') Fail(line, "expected = after the value name");
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
                    Fail(line, std::string("unknown escape in a ") + what +
                                   " (write \\\\ for a backslash and \\\" for a quote)");
                }
                c = next;
                ++pos;
            }
            value += c;
        }
        Fail(line, std::string(what) + " without its closing quote");
    }

    void ParseData(int line, std::string_view data, TRegEntry& entry) const {
        if (data == "-") {
            entry.Action = TRegAction::DeleteValue;
        } else if (!data.empty() && data.front() == '"') {
            std::size_t pos = 0;
            std::string text = ReadQuoted(line, data, pos, "string");
            ExpectEnd(line, data.substr(pos));
            entry.Type = REG_SZ;
            entry.Data.assign(text.begin(), text.end());
            entry.Data.push_back(0);
        } else if (HasPrefix(data, "dword:")) {
            entry.Type = REG_DWORD;
            std::uint32_t value = 0;
            if (!ParseHex32(data.substr(6), value)) Fail(line, "dword: needs 1 to 8 hex digits");
            for (int shift = 0; shift < 32; shift += 8) entry.Data.push_back(std::uint8_t(value >> shift));
        } else if (HasPrefix(data, "hex:")) {
            entry.Type = REG_BINARY;
            entry.Data = ParseBytes(line, data.substr(4));
        } else if (HasPrefix(data, "hex(")) {
            ParseTypedHex(line, data.substr(4), entry);
        } else {
            Fail(line, "unknown value data '" + Cp1252ToUtf8(data) +
                           "' (a string in quotes, dword:, hex:, hex(N): or - to delete)");
        }
    }

    static bool HasPrefix(std::string_view data, std::string_view prefix) {
        return data.size() >= prefix.size() && SameWord(data.substr(0, prefix.size()), prefix);
    }

    void ExpectEnd(int line, std::string_view rest) const {
        if (!Trim(rest).empty()) {
            Fail(line, "unexpected text after the value: '" + Cp1252ToUtf8(Trim(rest)) + "'");
        }
    }

    // "N):bytes" after "hex(". The string types hold UTF-16 in version 5
    // files and ANSI text in REGEDIT4 files.
    void ParseTypedHex(int line, std::string_view rest, TRegEntry& entry) const {
        std::size_t close = rest.find("):");
        if (close == std::string_view::npos || !ParseHex32(rest.substr(0, close), entry.Type)) {
            Fail(line, "hex(N): needs a type of 1 to 8 hex digits");
        }
        entry.Data = ParseBytes(line, rest.substr(close + 2));
        bool stringType = entry.Type == REG_SZ || entry.Type == REG_EXPAND_SZ || entry.Type == REG_MULTI_SZ;
        if (format_ == Format::Version5 && stringType) entry.Data = FromUtf16(line, entry.Data);
    }

    std::vector<std::uint8_t> FromUtf16(int line, const std::vector<std::uint8_t>& data) const {
        try {
            std::string text = Utf16LeToCp1252(std::string(data.begin(), data.end()));
            return std::vector<std::uint8_t>(text.begin(), text.end());
        } catch (const TextError& error) {
            Fail(line, std::string("string data in hex: ") + error.what());
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
                Fail(line, "hex data: '" + Cp1252ToUtf8(item) + "' is not a byte (one or two hex digits)");
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
        throw RegFileError(fileName, 1, "a version 5.00 file must be UTF-16LE with a byte-order mark");
    }
    if (header == Regedit4Header) {
        throw RegFileError(fileName, 1, "a REGEDIT4 file must be in code page 1252, not UTF-16");
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
                               "NUL byte in a code page 1252 file (a UTF-16 file needs its byte-order mark)");
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
    if (bytes.size() % 2 != 0) throw RegFileError(fileName, 0, "UTF-16 file of an odd number of bytes");
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
        } catch (const TextError& error) {
            if (!IsUtf16Comment(line)) throw RegFileError(fileName, static_cast<int>(i + 1), error.what());
            lines.emplace_back(";");
        }
        // The registry's ANSI calls end a name at a NUL: a key or a value
        // named with one would be written under another name.
        if (lines.back().find('\0') != std::string::npos && !IsUtf16Comment(line)) {
            throw RegFileError(fileName, static_cast<int>(i + 1), "NUL character in a line");
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
    : TMessageError(fileName + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + reason) {}

TRegFile ParseRegFile(const std::string& fileName, std::string_view bytes) {
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        throw RegFileError(fileName, 0,
                           "UTF-8 is not an encoding of registry files; save it as REGEDIT4 in code page "
                           "1252 or as version 5.00 in UTF-16LE");
    }
    if (StartsWith(bytes, "\xFE\xFF")) {
        throw RegFileError(fileName, 0, "UTF-16 big-endian is not an encoding of registry files; use UTF-16LE");
    }
    if (Trim(bytes).empty()) throw RegFileError(fileName, 1, "empty file: " + std::string(HeaderHint));
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

void TRegImporter::KnowKey(RegKey root, const std::string& path) {
    std::string folded = UpperCase(path);
    for (std::size_t slash = folded.find('\\'); slash != std::string::npos; slash = folded.find('\\', slash + 1)) {
        known_.insert({root, folded.substr(0, slash)});
    }
    known_.insert({root, folded});
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

std::string KeyText(const TRegEntry& entry) {
    return "[" + RootName(entry.Root) + (entry.Path.empty() ? "" : "\\" + Cp1252ToUtf8(entry.Path)) + "]";
}

std::string ErrorText(std::int32_t status) { return " (error " + std::to_string(status) + ")"; }

}  // namespace

void TRegImporter::CreateKey(const TRegFile& file, const TRegEntry& entry) {
    RegKey key = 0;
    std::int32_t status = registry_.RegCreateKeyExA(entry.Root, entry.Path.c_str(), REG_OPTION_NON_VOLATILE,
                                                    KEY_ALL_ACCESS, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        throw RegFileError(file.FileName, entry.Line, "cannot create the key " + KeyText(entry) + ErrorText(status));
    }
    registry_.RegCloseKey(key);
    if (!entry.Path.empty()) KnowKey(entry.Root, entry.Path);
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
                           "cannot set \"" + Cp1252ToUtf8(entry.Name) + "\" in " + KeyText(entry) + ErrorText(status));
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
                           "cannot delete \"" + Cp1252ToUtf8(entry.Name) + "\" in " + KeyText(entry) + ErrorText(status));
    }
}

// The keys below first, deepest first.
void TRegImporter::DeleteKey(const TRegFile& file, const TRegEntry& entry) {
    std::string folded = UpperCase(entry.Path);
    std::vector<std::string> below;
    for (const KnownKey& known : known_) {
        if (known.first == entry.Root && known.second.starts_with(folded + "\\")) below.push_back(known.second);
    }
    std::sort(below.begin(), below.end(), [](const std::string& a, const std::string& b) {
        return std::count(a.begin(), a.end(), '\\') > std::count(b.begin(), b.end(), '\\');
    });
    for (const std::string& path : below) DeleteOneKey(file, entry, path);
    DeleteOneKey(file, entry, entry.Path);
}

void TRegImporter::DeleteOneKey(const TRegFile& file, const TRegEntry& entry, const std::string& path) {
    std::int32_t status = registry_.RegDeleteKeyA(entry.Root, path.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        throw RegFileError(file.FileName, entry.Line,
                           "cannot delete the key [" + RootName(entry.Root) + "\\" + Cp1252ToUtf8(path) + "]" +
                               ErrorText(status) + (status == ERROR_ACCESS_DENIED
                                                        ? ": access denied, or it has subkeys no imported file made"
                                                        : ""));
    }
    known_.erase({entry.Root, UpperCase(path)});
}
