#pragma once
// Registry files as the registry editor writes them, with CR LF line ends:
// "REGEDIT4" in code page 1252 while every string fits that code page, and
// otherwise "Windows Registry Editor Version 5.00" in UTF-16LE with its
// byte-order mark. A string that a quoted text cannot give back exactly is
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
    // An empty name is the key's default value "@". String types come in
    // UTF-16LE, as the registry's wide calls give them.
    void Value(const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& data);
    void DeleteValue(const std::string& name);
    // The file's bytes.
    std::string Text() const;

private:
    void Add(const std::string& line);

    std::string regedit4_;  // code page 1252
    std::wstring version5_;
    bool fitsCp1252_ = true;
};
