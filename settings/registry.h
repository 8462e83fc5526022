#pragma once
#include <cstdint>
#include <exception>
#include <string>
#include <utility>

#include "platform/platform.h"

// An error of the registry layer. The message is code page 1252 text and
// names the value concerned. It keeps its message itself rather than deriving
// from std::runtime_error, whose copy-on-write string would add a second
// string implementation to the hook library.
class ERegistryException : public std::exception {
public:
    explicit ERegistryException(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    static constexpr const char* ClassName = "ERegistryException";

private:
    std::string message_;
};

// General registry access: one current key below a root key, opened with a
// fixed access mask. Destruction closes the current key.
class TRegistry {
public:
    explicit TRegistry(win::RegistryApi& api);
    virtual ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    bool OpenSubkey(const std::string& path, bool canCreate);
    bool HasValue(const std::string& name);
    // Reads a binary (or untyped) value into the buffer and returns the stored
    // size; a missing value returns 0 and leaves the buffer untouched.
    std::uint32_t ReadBytes(const std::string& name, std::uint8_t* buffer, std::uint32_t size);
    void WriteBytes(const std::string& name, const std::uint8_t* buffer, std::uint32_t size);
    // A string value cut at its first NUL; empty when missing or of size 0.
    std::string ReadText(const std::string& name);
    // The same with the wide call, every character as stored (Windows NT).
    std::wstring ReadWideText(const std::string& name);

    win::RegKey RootKey;
    std::uint32_t Access;
    win::RegKey CurrentKey = 0;
    std::string CurrentPath;

protected:
    win::RegistryApi& Api;

private:
    void CloseKey();
};
