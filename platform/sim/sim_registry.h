#pragma once
// An in-memory registry held to the Win32 contract: keys must be opened or
// created before use, handles carry their access rights, names are compared
// without regard to case, values keep their type and exact bytes (a string
// may lack its NUL or hold several), and a too-small buffer gets
// ERROR_MORE_DATA with the size needed.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace sim {

struct RegistryValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    // A string written with a wide call: its data are UTF-16LE. Windows NT
    // keeps every string so; the sim keeps an ANSI one as written and
    // converts on the way out, which the calls cannot tell apart.
    bool wide = false;
};

class SimSystem;

// A process of low integrity may open keys of HKEY_CURRENT_USER for reading
// only, except below Software\AppDataLow, as Windows' mandatory labels have
// it.
class SimRegistry final : public win::RegistryApi {
public:
    SimRegistry();
    // The processes, whose integrity levels decide the rights a key may be
    // opened with.
    void AttachSystem(SimSystem& system) { system_ = &system; }

    std::int32_t RegOpenKeyExA(win::RegKey key, const char* subKey, std::uint32_t options,
                               std::uint32_t access, win::RegKey* result) override;
    std::int32_t RegCreateKeyExA(win::RegKey key, const char* subKey, std::uint32_t options,
                                 std::uint32_t access, win::RegKey* result,
                                 std::uint32_t* disposition) override;
    std::int32_t RegQueryValueExA(win::RegKey key, const char* valueName, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* dataSize) override;
    std::int32_t RegQueryValueExW(win::RegKey key, const wchar_t* valueName, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* dataSize) override;
    std::int32_t RegSetValueExA(win::RegKey key, const char* valueName, std::uint32_t type,
                                const std::uint8_t* data, std::uint32_t dataSize) override;
    std::int32_t RegSetValueExW(win::RegKey key, const wchar_t* valueName, std::uint32_t type,
                                const std::uint8_t* data, std::uint32_t dataSize) override;
    std::int32_t RegDeleteValueA(win::RegKey key, const char* valueName) override;
    std::int32_t RegDeleteKeyA(win::RegKey key, const char* subKey) override;
    std::int32_t RegCloseKey(win::RegKey key) override;
    std::int32_t RegEnumKeyExA(win::RegKey key, std::uint32_t index, char* name,
                               std::uint32_t* nameSize) override;
    std::int32_t RegEnumValueA(win::RegKey key, std::uint32_t index, char* name,
                               std::uint32_t* nameSize, std::uint32_t* type, std::uint8_t* data,
                               std::uint32_t* dataSize) override;

    // Direct access for tests, bypassing handles. Paths are below
    // HKEY_CURRENT_USER unless a root is given.
    void Put(const std::string& path, const std::string& valueName, std::uint32_t type,
             std::vector<std::uint8_t> data, win::RegKey root = win::RegKey(0x80000001u));
    void PutString(const std::string& path, const std::string& valueName,
                   const std::string& text, win::RegKey root = win::RegKey(0x80000001u));
    // A REG_SZ value as the wide calls write it (UTF-16 units, NUL added).
    void PutWideString(const std::string& path, const std::string& valueName,
                       const std::wstring& text, win::RegKey root = win::RegKey(0x80000001u));
    void PutByte(const std::string& path, const std::string& valueName, std::uint8_t byte,
                 win::RegKey root = win::RegKey(0x80000001u));
    std::optional<RegistryValue> Get(const std::string& path, const std::string& valueName,
                                     win::RegKey root = win::RegKey(0x80000001u)) const;
    bool KeyExists(const std::string& path, win::RegKey root = win::RegKey(0x80000001u)) const;
    void CreateKey(const std::string& path, win::RegKey root = win::RegKey(0x80000001u));

    // Failures a test can switch on.
    void SetWritesFail(bool fail) { writesFail_ = fail; }
    void SetDataReadsFail(bool fail) { dataReadsFail_ = fail; }
    void DenyAccess(const std::string& path) { denied_.insert(Fold(path)); }

    std::size_t OpenHandleCount() const { return handles_.size(); }
    std::uint64_t CallCount() const { return calls_; }
    std::uint64_t OpenCount() const { return opens_; }

private:
    struct Key {
        std::string name;
        bool deleted = false;
        std::map<std::string, std::pair<std::string, RegistryValue>> values;
        std::map<std::string, std::shared_ptr<Key>> subkeys;
    };
    struct OpenHandle {
        std::shared_ptr<Key> key;
        std::string path;
        std::uint32_t access;
    };
    struct Resolved {
        std::shared_ptr<Key> key;
        std::string path;
        std::uint32_t access;
    };

    static std::string Fold(const std::string& text);
    static std::vector<std::string> SplitPath(const std::string& path);
    std::int32_t QueryValue(win::RegKey key, const std::string& valueName, bool wide,
                            std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize);
    std::int32_t SetValue(win::RegKey key, const std::string& valueName, RegistryValue value);
    std::int32_t Resolve(win::RegKey key, std::uint32_t needed, Resolved& out) const;
    std::int32_t OpenOrCreate(win::RegKey key, const char* subKey, std::uint32_t access,
                              bool create, win::RegKey* result, std::uint32_t* disposition);
    std::shared_ptr<Key> Walk(win::RegKey root, const std::string& path, bool create) const;
    win::RegKey NewHandle(std::shared_ptr<Key> key, std::string path, std::uint32_t access);
    bool RefusedByIntegrity(const std::string& path, std::uint32_t access) const;

    SimSystem* system_ = nullptr;
    std::map<win::RegKey, std::shared_ptr<Key>> roots_;
    std::map<win::RegKey, OpenHandle> handles_;
    win::RegKey nextHandle_ = 0x100;
    std::set<std::string> denied_;
    bool writesFail_ = false;
    bool dataReadsFail_ = false;
    std::uint64_t calls_ = 0;
    std::uint64_t opens_ = 0;
};

}  // namespace sim
