// The registry-file reader of the simulator on any bytes. A file either
// parses or is refused with a RegFileError naming the file; a parsed file
// names lines that exist, in order, and importing it either works or is
// refused the same way. When the file only sets values, the simulated
// registry afterwards holds exactly the last value written under each name.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "platform/sim/sim_registry.h"
#include "regfile/reg_file.h"

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
    for (const auto& [where, entry] : last) {
        auto value = registry.Get(entry->Path, entry->Name, entry->Root);
        FUZZ_CHECK(value.has_value(), "an imported value is in the registry");
        FUZZ_CHECK(value->type == entry->Type && value->data == entry->Data,
                   "an imported value holds the type and the bytes of its last line");
    }
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
