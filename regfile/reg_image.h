#pragma once
// The keys and values of a part of the registry held in memory, so that
// what a registry file would change can be shown before anything is
// written. Key paths and value names compare as the registry compares them,
// without regard to case.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/win_types.h"
#include "regfile/reg_file.h"

enum class TRegChangeKind { Added, Changed, Deleted };

struct TRegChange {
    TRegChangeKind Kind;
    win::RegKey Root;
    std::string Path;
    std::string Name;  // empty for the default value
};

class TRegImage {
public:
    void AddKey(win::RegKey root, const std::string& path);
    void SetValue(win::RegKey root, const std::string& path, const std::string& name, std::uint32_t type,
                  std::vector<std::uint8_t> data);
    // What importing the file does, on the image.
    void Apply(const TRegFile& file);
    // The values added, changed and deleted on the way from this image to
    // the other, by key and name.
    std::vector<TRegChange> ChangesTo(const TRegImage& after) const;

private:
    struct Value {
        std::string Name;
        std::uint32_t Type = 0;
        std::vector<std::uint8_t> Data;
    };
    struct Key {
        win::RegKey Root = 0;
        std::string Path;
        std::map<std::string, Value> Values;  // by the name in upper case
    };
    using KeyId = std::pair<win::RegKey, std::string>;  // the path in upper case

    Key& Make(win::RegKey root, const std::string& path);
    void DeleteTree(win::RegKey root, const std::string& path);

    std::map<KeyId, Key> keys_;
};
