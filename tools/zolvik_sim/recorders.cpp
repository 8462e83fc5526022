#include "tools/zolvik_sim/recorders.h"

#include "common/cp1252.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

bool IsPredefined(RegKey key) { return key >= 0x80000000u && key <= 0x80000006u; }

std::string Join(const std::string& path, const char* subKey) {
    std::string sub = subKey ? subKey : "";
    if (path.empty()) return sub;
    return sub.empty() ? path : path + "\\" + sub;
}

bool SameValue(const std::optional<sim::RegistryValue>& a, const std::optional<sim::RegistryValue>& b) {
    if (!a || !b) return a.has_value() == b.has_value();
    return a->type == b->type && a->data == b->data;
}

}  // namespace

std::optional<TRecordingRegistry::Location> TRecordingRegistry::Locate(RegKey key, const char* subKey) const {
    if (IsPredefined(key)) return Location{key, Join("", subKey)};
    auto found = handles_.find(key);
    if (found == handles_.end()) return std::nullopt;
    return Location{found->second.root, Join(found->second.path, subKey)};
}

std::int32_t TRecordingRegistry::RegOpenKeyExA(RegKey key, const char* subKey, std::uint32_t options,
                                               std::uint32_t access, RegKey* result) {
    std::int32_t status = registry_.RegOpenKeyExA(key, subKey, options, access, result);
    std::optional<Location> location = Locate(key, subKey);
    if (status == ERROR_SUCCESS && location) handles_[*result] = *location;
    return status;
}

std::int32_t TRecordingRegistry::RegCreateKeyExA(RegKey key, const char* subKey, std::uint32_t options,
                                                 std::uint32_t access, RegKey* result,
                                                 std::uint32_t* disposition) {
    std::int32_t status = registry_.RegCreateKeyExA(key, subKey, options, access, result, disposition);
    std::optional<Location> location = Locate(key, subKey);
    if (status == ERROR_SUCCESS && location) handles_[*result] = *location;
    return status;
}

std::int32_t TRecordingRegistry::RegQueryValueExA(RegKey key, const char* valueName, std::uint32_t* type,
                                                  std::uint8_t* data, std::uint32_t* dataSize) {
    return registry_.RegQueryValueExA(key, valueName, type, data, dataSize);
}

std::int32_t TRecordingRegistry::RegSetValueExA(RegKey key, const char* valueName, std::uint32_t type,
                                                const std::uint8_t* data, std::uint32_t dataSize) {
    Remember(Locate(key, nullptr), valueName);
    return registry_.RegSetValueExA(key, valueName, type, data, dataSize);
}

std::int32_t TRecordingRegistry::RegSetValueExW(RegKey key, const wchar_t* valueName, std::uint32_t type,
                                                const std::uint8_t* data, std::uint32_t dataSize) {
    std::string name = valueName ? WideToCp1252(valueName) : std::string();
    Remember(Locate(key, nullptr), name.c_str());
    return registry_.RegSetValueExW(key, valueName, type, data, dataSize);
}

std::int32_t TRecordingRegistry::RegDeleteValueA(RegKey key, const char* valueName) {
    Remember(Locate(key, nullptr), valueName);
    return registry_.RegDeleteValueA(key, valueName);
}

std::int32_t TRecordingRegistry::RegDeleteKeyA(RegKey key, const char* subKey) {
    return registry_.RegDeleteKeyA(key, subKey);
}

std::int32_t TRecordingRegistry::RegCloseKey(RegKey key) {
    handles_.erase(key);
    return registry_.RegCloseKey(key);
}

// Names are compared as the registry compares them, without regard to case.
void TRecordingRegistry::Remember(const std::optional<Location>& key, const char* valueName) {
    if (!key) return;
    std::string name = valueName ? valueName : "";
    for (const TValueChange& change : touched_) {
        bool same = change.Root == key->root && UpperCase(change.Path) == UpperCase(key->path) &&
                    UpperCase(change.Name) == UpperCase(name);
        if (same) return;
    }
    touched_.push_back({key->root, key->path, name, registry_.Get(key->path, name, key->root), std::nullopt});
}

std::vector<TValueChange> TRecordingRegistry::Changes() const {
    std::vector<TValueChange> changes;
    for (TValueChange change : touched_) {
        change.After = registry_.Get(change.Path, change.Name, change.Root);
        if (!SameValue(change.Before, change.After)) changes.push_back(std::move(change));
    }
    return changes;
}

bool TRecordingShell::Shell_NotifyIconA(std::uint32_t, NotifyIconData*) { return true; }

// ShellExecuteW's result is above 32 on success; 2 is "file not found".
Instance TRecordingShell::ShellExecuteW(Window, const wchar_t*, const wchar_t* file, const wchar_t*, const wchar_t*,
                                        int) {
    std::wstring path = file ? file : L"";
    bool opened = missing_.count(path) == 0;
    opened_.push_back({path, opened});
    return opened ? 42 : 2;
}
