#pragma once
// Registry access for the configuration program: whole values with their
// type and bytes (strings in UTF-16LE, through the wide calls), the names in
// a key, and writes that report Windows' error code instead of throwing, so
// that a failed write can be named and the rest of the configuration kept as
// it was.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

struct TRawValue {
    std::int32_t Status = 0;  // ERROR_SUCCESS, or why the value could not be read
    std::uint32_t Type = 0;
    std::vector<std::uint8_t> Data;
};

class TRegAccess {
public:
    TRegAccess(win::RegistryApi& registry, win::RegKey root);

    TRawValue Read(const std::string& path, const std::string& name) const;
    bool KeyExists(const std::string& path) const;
    std::vector<std::string> ValueNames(const std::string& path) const;
    std::vector<std::string> SubkeyNames(const std::string& path) const;

    // Create the key when it is missing; the result is Windows' error code.
    std::int32_t Write(const std::string& path, const std::string& name, std::uint32_t type,
                       const std::vector<std::uint8_t>& data) const;
    std::int32_t CreateKey(const std::string& path) const;
    // A value that is already missing counts as deleted.
    std::int32_t Delete(const std::string& path, const std::string& name) const;

    win::RegistryApi& Api() const { return registry_; }
    win::RegKey Root() const { return root_; }

private:
    using Enumeration =
        std::function<std::int32_t(win::RegKey, std::uint32_t, char*, std::uint32_t*)>;
    std::vector<std::string> Names(const std::string& path, const Enumeration& enumerate) const;

    win::RegistryApi& registry_;
    win::RegKey root_;
};

// A string value as it is stored: the text and its NUL, in UTF-16LE.
std::vector<std::uint8_t> WideStringData(const std::wstring& text);
// The text of a string value, cut at the first NUL.
std::wstring WideTextOf(const std::vector<std::uint8_t>& data);
// The same for texts in code page 1252: what it lacks reads as "?".
std::vector<std::uint8_t> StringData(const std::string& text);
std::string TextOf(const std::vector<std::uint8_t>& data);
