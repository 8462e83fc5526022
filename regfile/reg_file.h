#pragma once
// Registry files in the two formats the registry editor writes: "REGEDIT4"
// in code page 1252, and "Windows Registry Editor Version 5.00" in UTF-16LE
// with a byte-order mark. Key paths and value names must fit code page 1252;
// string data may hold any character.
// A file is parsed whole before anything is imported, so a malformed line
// leaves the registry untouched.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/message_error.h"
#include "platform/platform.h"

enum class TRegAction { CreateKey, DeleteKey, SetValue, DeleteValue };

struct TRegEntry {
    TRegAction Action;
    int Line;  // where the entry starts in its file
    win::RegKey Root;
    std::string Path;  // below the root, code page 1252
    std::string Name;  // the value name; empty for the default value "@"
    std::uint32_t Type = 0;
    // As the registry stores it: the string types in UTF-16LE, whatever the
    // file's format.
    std::vector<std::uint8_t> Data;
};

struct TRegFile {
    std::string FileName;
    std::vector<TRegEntry> Entries;
};

// "FILE, Zeile LINE: REASON", or "FILE: REASON" for the file as a whole
// (line 0). The reason is German, code page 1252.
class RegFileError : public TMessageError {
public:
    RegFileError(const std::string& fileName, int line, const std::string& reason);
    const std::string& FileName() const { return fileName_; }
    int Line() const { return line_; }
    const std::string& Reason() const { return reason_; }

private:
    std::string fileName_;
    int line_;
    std::string reason_;
};

// Throws RegFileError.
TRegFile ParseRegFile(const std::string& fileName, std::string_view bytes);

// "HKEY_CURRENT_USER" and the other roots a file may name.
std::string RootName(win::RegKey root);

// Imports parsed files into a registry, in order, the strings with the wide
// call. Deleting a key deletes the keys below it first. A registry call that
// fails ends the import with a RegFileError naming the entry's line.
class TRegImporter {
public:
    explicit TRegImporter(win::RegistryApi& registry) : registry_(registry) {}
    void Import(const TRegFile& file);

private:
    void CreateKey(const TRegFile& file, const TRegEntry& entry);
    void DeleteKey(const TRegFile& file, const TRegEntry& entry);
    void SetValue(const TRegFile& file, const TRegEntry& entry);
    void DeleteValue(const TRegFile& file, const TRegEntry& entry);
    void DeleteTree(const TRegFile& file, const TRegEntry& entry, const std::string& path);
    std::vector<std::string> SubkeyNames(win::RegKey root, const std::string& path);

    win::RegistryApi& registry_;
};
