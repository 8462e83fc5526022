// The registry-file reader of the simulator on any bytes. A file either
// parses or is refused with a RegFileError naming the file; a parsed file
// names lines that exist, in order, and importing it either works or is
// refused the same way. When the file only sets values, the simulated
// registry afterwards holds exactly the last value written under each name,
// as the wide calls read it, and the file the writer makes of those values
// reads back as the same values, whatever characters their texts hold.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "common/cp1252.h"
#include "fuzz/fuzz_check.h"
#include "platform/sim/sim_registry.h"
#include "platform/win_constants.h"
#include "regfile/reg_file.h"
#include "regfile/reg_writer.h"

namespace {

constexpr const char* FileName = "input.reg";

// Registry names compare without regard to case, in code page 1252.
std::string Fold(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)) {
            c = static_cast<char>(byte - 0x20);
        }
    }
    return folded;
}

// Empty parts of a path, from doubled or trailing backslashes, are no keys.
std::string KeyOf(std::string_view path) {
    std::string key;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) key += Fold(path.substr(start, end - start)) + "\\";
        start = end + 1;
    }
    return key;
}

std::size_t LineCount(std::string_view bytes, bool utf16) {
    std::size_t lines = 1;
    if (utf16) {
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) lines += bytes[i] == '\n' && bytes[i + 1] == 0;
    } else {
        for (char c : bytes) lines += c == '\n';
    }
    return lines;
}

std::vector<std::uint8_t> ReadWide(sim::SimRegistry& registry, const TRegEntry& entry, std::uint32_t& type) {
    win::RegKey key = 0;
    std::vector<std::uint8_t> data(1 << 16);
    auto size = static_cast<std::uint32_t>(data.size());
    std::wstring name = Cp1252ToWide(entry.Name);
    bool read = registry.RegOpenKeyExA(entry.Root, entry.Path.c_str(), 0, win::KEY_READ, &key) == win::ERROR_SUCCESS &&
                registry.RegQueryValueExW(key, name.c_str(), &type, data.data(), &size) == win::ERROR_SUCCESS;
    registry.RegCloseKey(key);
    FUZZ_CHECK(read, "an imported value is in the registry");
    data.resize(size);
    return data;
}

// The values written out and read back: the same entries, one key line
// before each value.
void CheckWriter(const std::vector<const TRegEntry*>& values) {
    TRegWriter writer;
    for (const TRegEntry* value : values) {
        writer.Key(value->Root, value->Path);
        writer.Value(value->Name, value->Type, value->Data);
    }
    TRegFile again = ParseRegFile(FileName, writer.Text());
    FUZZ_CHECK(again.Entries.size() == 2 * values.size(), "each value is written as a key and a value");
    for (std::size_t i = 0; i < values.size(); ++i) {
        const TRegEntry& read = again.Entries[2 * i + 1];
        FUZZ_CHECK(read.Root == values[i]->Root && read.Path == values[i]->Path && read.Name == values[i]->Name &&
                       read.Type == values[i]->Type && read.Data == values[i]->Data,
                   "a written value reads back as it was");
    }
}

void CheckImport(const TRegFile& file) {
    sim::SimRegistry registry;
    TRegImporter importer(registry);
    try {
        importer.Import(file);
    } catch (const RegFileError& error) {
        FUZZ_CHECK(error.FileName() == FileName && std::string(error.what()).starts_with(FileName),
                   "an import error names the file");
        return;
    }
    using Where = std::tuple<win::RegKey, std::string, std::string>;
    std::map<Where, const TRegEntry*> last;
    for (const TRegEntry& entry : file.Entries) {
        if (entry.Action == TRegAction::DeleteKey || entry.Action == TRegAction::DeleteValue) return;
        if (entry.Action == TRegAction::SetValue) last[{entry.Root, KeyOf(entry.Path), Fold(entry.Name)}] = &entry;
    }
    std::vector<const TRegEntry*> values;
    for (const auto& [where, entry] : last) {
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data = ReadWide(registry, *entry, type);
        FUZZ_CHECK(type == entry->Type && data == entry->Data,
                   "an imported value holds the type and the bytes of its last line");
        values.push_back(entry);
    }
    CheckWriter(values);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TRegFile file;
    try {
        file = ParseRegFile(FileName, bytes);
    } catch (const RegFileError& error) {
        FUZZ_CHECK(error.FileName() == FileName && std::string(error.what()).starts_with(FileName),
                   "a parse error names the file");
        return 0;
    }
    const bool utf16 = bytes.starts_with("\xFF\xFE");
    const std::size_t lines = LineCount(bytes, utf16);
    int previous = 1;
    for (const TRegEntry& entry : file.Entries) {
        FUZZ_CHECK(entry.Line >= previous && static_cast<std::size_t>(entry.Line) <= lines,
                   "entries name lines of the file, in order");
        previous = entry.Line;
    }
    CheckImport(file);
    return 0;
}
