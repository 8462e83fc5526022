#pragma once
// Stand-ins between the system and the simulated machine that remember what
// the system changed: the registry values it wrote, the programs and
// documents it opened.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_registry.h"

struct TValueChange {
    win::RegKey Root;
    std::string Path;  // code page 1252
    std::string Name;
    std::optional<sim::RegistryValue> Before;
    std::optional<sim::RegistryValue> After;
};

// Passes every call on to the simulated registry and keeps, for each value
// written or deleted through it, the value as it was before the first such
// call since StartRecording.
class TRecordingRegistry final : public win::RegistryApi {
public:
    explicit TRecordingRegistry(sim::SimRegistry& registry) : registry_(registry) {}

    std::int32_t RegOpenKeyExA(win::RegKey key, const char* subKey, std::uint32_t options,
                               std::uint32_t access, win::RegKey* result) override;
    std::int32_t RegCreateKeyExA(win::RegKey key, const char* subKey, std::uint32_t options,
                                 std::uint32_t access, win::RegKey* result,
                                 std::uint32_t* disposition) override;
    std::int32_t RegQueryValueExA(win::RegKey key, const char* valueName, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* dataSize) override;
    std::int32_t RegQueryValueExW(win::RegKey key, const wchar_t* valueName, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* dataSize) override {
        return registry_.RegQueryValueExW(key, valueName, type, data, dataSize);
    }
    std::int32_t RegSetValueExA(win::RegKey key, const char* valueName, std::uint32_t type,
                                const std::uint8_t* data, std::uint32_t dataSize) override;
    std::int32_t RegSetValueExW(win::RegKey key, const wchar_t* valueName, std::uint32_t type,
                                const std::uint8_t* data, std::uint32_t dataSize) override;
    std::int32_t RegDeleteValueA(win::RegKey key, const char* valueName) override;
    std::int32_t RegDeleteKeyA(win::RegKey key, const char* subKey) override;
    std::int32_t RegCloseKey(win::RegKey key) override;
    std::int32_t RegEnumKeyExA(win::RegKey key, std::uint32_t index, char* name,
                               std::uint32_t* nameSize) override {
        return registry_.RegEnumKeyExA(key, index, name, nameSize);
    }
    std::int32_t RegEnumValueA(win::RegKey key, std::uint32_t index, char* name,
                               std::uint32_t* nameSize, std::uint32_t* type, std::uint8_t* data,
                               std::uint32_t* dataSize) override {
        return registry_.RegEnumValueA(key, index, name, nameSize, type, data, dataSize);
    }

    void StartRecording() { touched_.clear(); }
    // The values that differ now from what they were, in the order first
    // touched.
    std::vector<TValueChange> Changes() const;

private:
    struct Location {
        win::RegKey root;
        std::string path;
    };
    void Remember(const std::optional<Location>& key, const char* valueName);
    std::optional<Location> Locate(win::RegKey key, const char* subKey) const;

    sim::SimRegistry& registry_;
    std::map<win::RegKey, Location> handles_;
    std::vector<TValueChange> touched_;
};

struct TOpenedDocument {
    std::wstring Path;
    bool Opened;
};

// Opens every program and document except those named missing, which
// fail as a file the shell cannot find.
class TRecordingShell final : public win::ShellApi {
public:
    explicit TRecordingShell(std::set<std::wstring> missing) : missing_(std::move(missing)) {}

    bool Shell_NotifyIconA(std::uint32_t message, win::NotifyIconData* data) override;
    win::Instance ShellExecuteW(win::Window owner, const wchar_t* verb, const wchar_t* file,
                                const wchar_t* parameters, const wchar_t* directory, int show) override;

    const std::vector<TOpenedDocument>& Opened() const { return opened_; }
    void Clear() { opened_.clear(); }

private:
    std::set<std::wstring> missing_;
    std::vector<TOpenedDocument> opened_;
};
