#include "regfile/reg_file.h"

#include <algorithm>
#include "common/number_text.h"
#include "common/registry_value.h"
#include "platform/win_constants.h"
#include "common/cp1252.h"

using namespace win;

namespace {

constexpr std::wstring_view Regedit4Header = L"REGEDIT4";
constexpr std::wstring_view Version5Header = L"Windows Registry Editor Version 5.00";
constexpr std::string_view HeaderHint =
    "die erste Zeile muss REGEDIT4 oder Windows Registry Editor Version 5.00 sein";

enum class Format { Regedit4, Version5 };

// Every line is wide text, whatever the file's format: a quoted string may
// hold any character, while key paths and value names go to the registry's
// ANSI calls and must fit code page 1252.
struct SourceLine {
    int number;
    std::wstring text;  // without the line end
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

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view TrimLeft(std::wstring_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    return text;
}

std::wstring_view TrimRight(std::wstring_view text) {
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

std::wstring_view Trim(std::wstring_view text) { return TrimRight(TrimLeft(text)); }

// A piece of the file quoted in a message, which is code page 1252.
std::string Shown(std::wstring_view text) { return WideToCp1252(text); }

bool SameWord(std::wstring_view a, std::string_view b) { return UpperCase(Shown(a)) == UpperCase(b); }

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// 1 to 8 hex digits, the whole text.
bool ParseHex32(std::wstring_view text, std::uint32_t& value) {
    if (text.empty() || text.size() > 8) return false;
    value = 0;
    for (wchar_t c : text) {
        int digit = HexValue(c);
        if (digit < 0) return false;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return true;
}

std::vector<std::uint8_t> Utf16Data(std::wstring_view text) {
    std::string bytes = WideToUtf16Le(text);
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::vector<std::wstring> SplitLines(std::wstring_view text) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring_view::npos) end = text.size();
        std::wstring_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
        lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

// A logical line goes on when its last character outside quotes is a
// backslash.
bool Continues(std::wstring_view line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (quoted && line[i] == L'\\') {
            ++i;
        } else if (line[i] == L'"') {
            quoted = !quoted;
        }
    }
    line = TrimRight(line);
    return !quoted && !line.empty() && line.back() == L'\\';
}

class Parser {
public:
    Parser(const std::string& fileName, Format format, std::vector<SourceLine> lines)
        : fileName_(fileName), format_(format), lines_(std::move(lines)) {}

    TRegFile Parse() {
        TRegFile file{fileName_, {}};
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            std::wstring_view text = Trim(lines_[i].text);
            int number = lines_[i].number;
            if (text.empty() || text.front() == L';') continue;
            if (text.front() == L'[') {
                ParseKeyLine(number, text, file);
            } else if (text.front() == L'"' || text.front() == L'@') {
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

    // A key path or value name, which must fit code page 1252.
    std::string Name(int line, std::wstring_view text) const {
        std::wstring outside = CharactersOutsideCp1252(text);
        if (outside.empty()) return WideToCp1252(text);
        Fail(line, "Zeichen U+" + HexDigits(static_cast<std::uint32_t>(CodePointAt(outside, 0)), 4) +
                       " gibt es in Codepage 1252 nicht; Schl\xFCssel- und Wertnamen m\xFCssen hineinpassen");
    }

    std::wstring JoinContinuations(std::size_t& i) const {
        std::wstring joined(TrimLeft(lines_[i].text));
        while (Continues(joined)) {
            if (i + 1 >= lines_.size()) Fail(lines_[i].number, "Fortsetzung (\\) am Ende der Datei");
            joined = std::wstring(TrimRight(joined));
            joined.pop_back();
            joined += TrimLeft(lines_[++i].text);
        }
        return joined;
    }

    void ParseKeyLine(int line, std::wstring_view text, TRegFile& file) {
        if (text.back() != L']') Fail(line, "Schl\xFCsselzeile ohne schlie\xDF" "ende ]");
        text = text.substr(1, text.size() - 2);
        bool deleting = !text.empty() && text.front() == L'-';
        if (deleting) text.remove_prefix(1);
        std::size_t slash = text.find(L'\\');
        std::wstring_view rootName = text.substr(0, slash);
        std::wstring_view path = slash == std::wstring_view::npos ? std::wstring_view() : text.substr(slash + 1);
        section_ = Section{true, deleting, ParseRoot(line, rootName), Name(line, path)};
        CheckPath(line, section_.path);
        TRegAction action = deleting ? TRegAction::DeleteKey : TRegAction::CreateKey;
        file.Entries.push_back({action, line, section_.root, section_.path, {}, 0, {}});
    }

    RegKey ParseRoot(int line, std::wstring_view name) const {
        for (const Root& root : Roots) {
            if (SameWord(name, root.name) || SameWord(name, root.shortName)) return root.key;
        }
        Fail(line, "unbekannter Stammschl\xFCssel '" + Shown(name) +
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

    void ParseValueLine(int line, std::wstring_view text, TRegFile& file) {
        if (!section_.open) Fail(line, "Wert vor dem ersten [Schl\xFCssel]");
        if (section_.deleting) Fail(line, "Wert unter einem Schl\xFCssel, der gel\xF6scht wird ([-...])");
        std::size_t pos = 0;
        std::string name;
        if (text.front() == L'@') {
            pos = 1;
        } else {
            name = Name(line, ReadQuoted(line, text, pos, "Wertname"));
        }
        while (pos < text.size() && IsSpace(text[pos])) ++pos;
        if (pos >= text.size() || text[pos] != L'=') Fail(line, "nach dem Wertnamen fehlt =");
        std::wstring_view data = Trim(text.substr(pos + 1));
        TRegEntry entry{TRegAction::SetValue, line, section_.root, section_.path, name, 0, {}};
        ParseData(line, data, entry);
        file.Entries.push_back(std::move(entry));
    }

    // A text in double quotes from text[pos], which is the opening quote;
    // pos ends after the closing quote.
    std::wstring ReadQuoted(int line, std::wstring_view text, std::size_t& pos, const char* what) const {
        std::wstring value;
        for (++pos; pos < text.size(); ++pos) {
            wchar_t c = text[pos];
            if (c == L'"') {
                ++pos;
                return value;
            }
            if (c == L'\\') {
                wchar_t next = pos + 1 < text.size() ? text[pos + 1] : L'\0';
                if (next != L'\\' && next != L'"') {
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

    // String data are held as the registry stores them, in UTF-16LE.
    void ParseData(int line, std::wstring_view data, TRegEntry& entry) const {
        if (data == L"-") {
            entry.Action = TRegAction::DeleteValue;
        } else if (!data.empty() && data.front() == L'"') {
            std::size_t pos = 0;
            std::wstring text = ReadQuoted(line, data, pos, "Text");
            ExpectEnd(line, data.substr(pos));
            entry.Type = REG_SZ;
            entry.Data = Utf16Data(text + L'\0');
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
            Fail(line, "unbekannte Wertdaten '" + Shown(data) +
                           "' (ein Text in Anf\xFChrungszeichen, dword:, hex:, hex(N): oder - zum L\xF6schen)");
        }
    }

    static bool HasPrefix(std::wstring_view data, std::string_view prefix) {
        return data.size() >= prefix.size() && SameWord(data.substr(0, prefix.size()), prefix);
    }

    void ExpectEnd(int line, std::wstring_view rest) const {
        if (!Trim(rest).empty()) {
            Fail(line, "unerwarteter Text nach dem Wert: '" + Shown(Trim(rest)) + "'");
        }
    }

    // "N):bytes" after "hex(". The string types hold UTF-16 in version 5
    // files and ANSI text in REGEDIT4 files.
    void ParseTypedHex(int line, std::wstring_view rest, TRegEntry& entry) const {
        std::size_t close = rest.find(L"):");
        if (close == std::wstring_view::npos || !ParseHex32(rest.substr(0, close), entry.Type)) {
            Fail(line, "hex(N): braucht einen Typ aus 1 bis 8 Hex-Ziffern");
        }
        entry.Data = ParseBytes(line, rest.substr(close + 2));
        if (!IsConvertedString(entry.Type)) return;
        if (format_ == Format::Regedit4) {
            entry.Data = Utf16Data(Cp1252ToWide(std::string(entry.Data.begin(), entry.Data.end())));
        } else if (entry.Data.size() % 2 != 0) {
            Fail(line, "Textdaten in hex: UTF-16-Daten mit einer ungeraden Zahl von Bytes");
        }
    }

    // Comma-separated bytes of one or two hex digits; a trailing comma is
    // allowed, an empty list gives no bytes.
    std::vector<std::uint8_t> ParseBytes(int line, std::wstring_view text) const {
        std::vector<std::uint8_t> bytes;
        text = Trim(text);
        if (!text.empty() && text.back() == L',') text.remove_suffix(1);
        if (text.empty()) return bytes;
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = std::min(text.find(L',', start), text.size());
            std::wstring_view item = Trim(text.substr(start, end - start));
            std::uint32_t value = 0;
            if (item.size() > 2 || !ParseHex32(item, value)) {
                Fail(line, "Hex-Daten: '" + Shown(item) + "' ist kein Byte (eine oder zwei Hex-Ziffern)");
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

void CheckHeader(const std::string& fileName, const std::wstring& first, Format format) {
    std::wstring_view header = TrimRight(first);
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

std::vector<SourceLine> Number(std::vector<std::wstring> lines) {
    std::vector<SourceLine> numbered;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        numbered.push_back({static_cast<int>(i + 1), std::move(lines[i])});
    }
    return numbered;
}

std::vector<SourceLine> DecodeCp1252(const std::string& fileName, std::string_view bytes) {
    std::vector<std::wstring> lines = SplitLines(Cp1252ToWide(bytes));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find(L'\0') != std::wstring::npos) {
            throw RegFileError(fileName, static_cast<int>(i + 1),
                               "NUL-Byte in einer Datei in Codepage 1252 (eine UTF-16-Datei braucht ihr Byte-Order-Mark)");
        }
    }
    CheckHeader(fileName, lines.front(), Format::Regedit4);
    return Number(std::move(lines));
}

bool IsComment(std::wstring_view line) {
    line = TrimLeft(line);
    return !line.empty() && line.front() == L';';
}

// UTF-16LE without the byte-order mark, line by line.
std::vector<SourceLine> DecodeUtf16(const std::string& fileName, std::string_view bytes) {
    if (bytes.size() % 2 != 0) throw RegFileError(fileName, 0, "UTF-16-Datei mit einer ungeraden Zahl von Bytes");
    std::vector<std::wstring> lines = SplitLines(Utf16LeToWide(bytes));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        // The registry's ANSI calls end a name at a NUL: a key or a value
        // named with one would be written under another name.
        if (lines[i].find(L'\0') != std::wstring::npos && !IsComment(lines[i])) {
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
    if (bytes.find_first_not_of(" \t") == std::string_view::npos) {
        throw RegFileError(fileName, 1, "leere Datei: " + std::string(HeaderHint));
    }
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
        status = SetRegistryValue(registry_, key, entry.Name, entry.Type, entry.Data);
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
