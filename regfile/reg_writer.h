#pragma once
// Registry files written in the "REGEDIT4" format, in code page 1252, with
// CR LF line ends. A string that a quoted text cannot give back exactly is
// written as hex(1):, so that reading the file gives every value byte for
// byte.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win_types.h"

class TRegWriter {
public:
    TRegWriter();
    // "[-ROOT\path]": the key and everything below it.
    void DeleteKey(win::RegKey root, const std::string& path);
    // "[ROOT\path]": the key the values after it go to.
    void Key(win::RegKey root, const std::string& path);
    // An empty name is the key's default value "@".
    void Value(const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& data);
    void DeleteValue(const std::string& name);
    std::string Text() const { return text_ + "\r\n"; }

private:
    std::string text_;
};
