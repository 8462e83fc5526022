#include "platform/sim/sim_registry.h"

#include <algorithm>
#include <cstring>

#include "common/cp1252.h"
#include "platform/sim/sim_system.h"
#include "platform/win_constants.h"

namespace sim {

using namespace win;

namespace {

bool IsPredefined(RegKey key) { return key >= 0x80000000u && key <= 0x80000006u; }

// KEY_SET_VALUE, KEY_CREATE_SUB_KEY, KEY_CREATE_LINK, DELETE, WRITE_DAC and
// WRITE_OWNER.
constexpr std::uint32_t WriteRights = 0x0002 | 0x0004 | 0x0020 | 0x00010000 | 0x00040000 | 0x00080000;

std::string NameOf(const char* name) { return name ? std::string(name) : std::string(); }

// A string's data as the ANSI or the wide calls deliver it.
std::vector<std::uint8_t> DataFor(const RegistryValue& value, bool wide) {
    if (!IsConvertedString(value.type) || value.wide == wide) return value.data;
    std::string_view stored(reinterpret_cast<const char*>(value.data.data()), value.data.size());
    std::string converted = wide ? WideToUtf16Le(Cp1252ToWide(stored)) : WideToCp1252(Utf16LeToWide(stored));
    return std::vector<std::uint8_t>(converted.begin(), converted.end());
}

// UTF-16LE whose every unit has its code page 1252 byte. The sim keeps
// such a string in those bytes, whichever call wrote it: the calls cannot
// tell the two apart, and tests read the stored bytes.
bool FitsCp1252(const std::vector<std::uint8_t>& data) {
    if (data.size() % 2 != 0) return false;
    std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
    return CharactersOutsideCp1252(Utf16LeToWide(bytes)).empty();
}

}  // namespace

SimRegistry::SimRegistry() {
    for (RegKey root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        roots_[root] = std::make_shared<Key>();
    }
}

// Registry names compare without regard to case, for code page 1252 letters
// as well as ASCII.
std::string SimRegistry::Fold(const std::string& text) {
    std::string folded = text;
    for (char& c : folded) {
        auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)) {
            c = static_cast<char>(byte - 0x20);
        }
    }
    return folded;
}

// Consecutive and trailing backslashes are skipped, as the platform does.
std::vector<std::string> SimRegistry::SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

std::int32_t SimRegistry::Resolve(RegKey key, std::uint32_t needed, Resolved& out) const {
    if (IsPredefined(key)) {
        auto root = roots_.find(key);
        if (root == roots_.end()) return ERROR_INVALID_HANDLE;
        out = Resolved{root->second, std::string(), KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    }
    auto handle = handles_.find(key);
    if (handle == handles_.end()) return ERROR_INVALID_HANDLE;
    if (handle->second.key->deleted) return ERROR_KEY_DELETED;
    if ((handle->second.access & needed) != needed) return ERROR_ACCESS_DENIED;
    out = Resolved{handle->second.key, handle->second.path, handle->second.access};
    return ERROR_SUCCESS;
}

RegKey SimRegistry::NewHandle(std::shared_ptr<Key> key, std::string path, std::uint32_t access) {
    RegKey handle = nextHandle_;
    nextHandle_ += 4;
    handles_[handle] = OpenHandle{std::move(key), std::move(path), access};
    return handle;
}

bool SimRegistry::RefusedByIntegrity(const std::string& path, std::uint32_t access) const {
    if (!system_ || !(access & WriteRights)) return false;
    if (system_->IntegrityOf(system_->GetCurrentProcessId()) != SimSystem::Integrity::Low) return false;
    const std::string lowBranch = Fold("Software\\AppDataLow");
    std::string folded = Fold(path);
    return folded != lowBranch && folded.rfind(lowBranch + "\\", 0) != 0;
}

std::int32_t SimRegistry::OpenOrCreate(RegKey key, const char* subKey, std::uint32_t access,
                                       bool create, RegKey* result, std::uint32_t* disposition) {
    ++calls_;
    ++opens_;
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = 0;
    Resolved parent;
    if (std::int32_t status = Resolve(key, 0, parent); status != ERROR_SUCCESS) return status;
    std::string sub = NameOf(subKey);
    if (!sub.empty() && sub.front() == '\\') return ERROR_BAD_PATHNAME;

    std::shared_ptr<Key> current = parent.key;
    std::string path = parent.path;
    bool createdAny = false;
    for (const std::string& part : SplitPath(sub)) {
        path = path.empty() ? part : path + "\\" + part;
        auto child = current->subkeys.find(Fold(part));
        if (child != current->subkeys.end()) {
            current = child->second;
            continue;
        }
        if (!create) return ERROR_FILE_NOT_FOUND;
        if (denied_.count(Fold(path)) || RefusedByIntegrity(path, KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
        auto made = std::make_shared<Key>();
        made->name = part;
        current->subkeys[Fold(part)] = made;
        current = made;
        createdAny = true;
    }
    if (denied_.count(Fold(path)) || RefusedByIntegrity(path, access)) {
        return ERROR_ACCESS_DENIED;
    }
    if (disposition) *disposition = createdAny ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle(current, path, access);
    return ERROR_SUCCESS;
}

std::int32_t SimRegistry::RegOpenKeyExA(RegKey key, const char* subKey, std::uint32_t,
                                        std::uint32_t access, RegKey* result) {
    return OpenOrCreate(key, subKey, access, false, result, nullptr);
}

std::int32_t SimRegistry::RegCreateKeyExA(RegKey key, const char* subKey, std::uint32_t,
                                          std::uint32_t access, RegKey* result,
                                          std::uint32_t* disposition) {
    return OpenOrCreate(key, subKey, access, true, result, disposition);
}

std::int32_t SimRegistry::RegQueryValueExA(RegKey key, const char* valueName, std::uint32_t* type,
                                           std::uint8_t* data, std::uint32_t* dataSize) {
    return QueryValue(key, NameOf(valueName), false, type, data, dataSize);
}

std::int32_t SimRegistry::RegQueryValueExW(RegKey key, const wchar_t* valueName, std::uint32_t* type,
                                           std::uint8_t* data, std::uint32_t* dataSize) {
    return QueryValue(key, valueName ? WideToCp1252(valueName) : std::string(), true, type, data, dataSize);
}

std::int32_t SimRegistry::QueryValue(RegKey key, const std::string& valueName, bool wide, std::uint32_t* type,
                                     std::uint8_t* data, std::uint32_t* dataSize) {
    ++calls_;
    Resolved target;
    if (std::int32_t status = Resolve(key, KEY_QUERY_VALUE, target); status != ERROR_SUCCESS) {
        return status;
    }
    if (data && !dataSize) return ERROR_INVALID_PARAMETER;
    auto found = target.key->values.find(Fold(valueName));
    if (found == target.key->values.end()) return ERROR_FILE_NOT_FOUND;
    const RegistryValue& value = found->second.second;
    if (type) *type = value.type;
    std::vector<std::uint8_t> delivered = DataFor(value, wide);
    auto stored = static_cast<std::uint32_t>(delivered.size());
    if (!data) {
        // Asked for the size alone, the ANSI call reports the stored UTF-16
        // size without converting, which is more than it delivers.
        if (dataSize) *dataSize = wide ? stored : static_cast<std::uint32_t>(std::max(delivered.size(), value.data.size()));
        return ERROR_SUCCESS;
    }
    if (dataReadsFail_) return ERROR_ACCESS_DENIED;
    if (*dataSize < stored) {
        // The buffer's contents are undefined after ERROR_MORE_DATA; make
        // sure nobody relies on them.
        std::memset(data, 0xCC, *dataSize);
        *dataSize = stored;
        return ERROR_MORE_DATA;
    }
    std::copy(delivered.begin(), delivered.end(), data);
    *dataSize = stored;
    return ERROR_SUCCESS;
}

std::int32_t SimRegistry::RegSetValueExA(RegKey key, const char* valueName, std::uint32_t type,
                                         const std::uint8_t* data, std::uint32_t dataSize) {
    if (!data && dataSize > 0) return ERROR_INVALID_PARAMETER;
    return SetValue(key, NameOf(valueName), RegistryValue{type, std::vector<std::uint8_t>(data, data + dataSize)});
}

std::int32_t SimRegistry::RegSetValueExW(RegKey key, const wchar_t* valueName, std::uint32_t type,
                                         const std::uint8_t* data, std::uint32_t dataSize) {
    if (!data && dataSize > 0) return ERROR_INVALID_PARAMETER;
    RegistryValue value{type, std::vector<std::uint8_t>(data, data + dataSize), IsConvertedString(type)};
    if (value.wide && FitsCp1252(value.data)) value = RegistryValue{type, DataFor(value, false)};
    return SetValue(key, valueName ? WideToCp1252(valueName) : std::string(), std::move(value));
}

std::int32_t SimRegistry::SetValue(RegKey key, const std::string& name, RegistryValue value) {
    ++calls_;
    Resolved target;
    if (std::int32_t status = Resolve(key, KEY_SET_VALUE, target); status != ERROR_SUCCESS) {
        return status;
    }
    if (writesFail_) return ERROR_ACCESS_DENIED;
    target.key->values[Fold(name)] = {name, std::move(value)};
    return ERROR_SUCCESS;
}

std::int32_t SimRegistry::RegDeleteValueA(RegKey key, const char* valueName) {
    ++calls_;
    Resolved target;
    if (std::int32_t status = Resolve(key, KEY_SET_VALUE, target); status != ERROR_SUCCESS) {
        return status;
    }
    if (writesFail_) return ERROR_ACCESS_DENIED;
    return target.key->values.erase(Fold(NameOf(valueName))) ? ERROR_SUCCESS
                                                               : ERROR_FILE_NOT_FOUND;
}

std::int32_t SimRegistry::RegDeleteKeyA(RegKey key, const char* subKey) {
    ++calls_;
    Resolved parent;
    if (std::int32_t status = Resolve(key, 0, parent); status != ERROR_SUCCESS) return status;
    std::vector<std::string> parts = SplitPath(NameOf(subKey));
    if (parts.empty()) return ERROR_INVALID_PARAMETER;
    std::shared_ptr<Key> container = parent.key;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        auto child = container->subkeys.find(Fold(parts[i]));
        if (child == container->subkeys.end()) return ERROR_FILE_NOT_FOUND;
        container = child->second;
    }
    auto target = container->subkeys.find(Fold(parts.back()));
    if (target == container->subkeys.end()) return ERROR_FILE_NOT_FOUND;
    // Windows NT refuses to delete a key that still has subkeys.
    if (!target->second->subkeys.empty()) return ERROR_ACCESS_DENIED;
    if (writesFail_) return ERROR_ACCESS_DENIED;
    target->second->deleted = true;
    container->subkeys.erase(target);
    return ERROR_SUCCESS;
}

std::int32_t SimRegistry::RegCloseKey(RegKey key) {
    ++calls_;
    if (IsPredefined(key)) return ERROR_SUCCESS;
    return handles_.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

namespace {

// A name into a caller's buffer of *size characters, the NUL included.
std::int32_t CopyName(const std::string& name, char* buffer, std::uint32_t* size) {
    if (!buffer || !size) return ERROR_INVALID_PARAMETER;
    if (name.size() + 1 > *size) {
        *size = static_cast<std::uint32_t>(name.size() + 1);
        return ERROR_MORE_DATA;
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *size = static_cast<std::uint32_t>(name.size());
    return ERROR_SUCCESS;
}

}  // namespace

// Subkeys come in the order of their names, as Windows gives them; values in
// the order of their names too, where Windows gives the order they were
// made in: callers must not rely on either.
std::int32_t SimRegistry::RegEnumKeyExA(RegKey key, std::uint32_t index, char* name,
                                        std::uint32_t* nameSize) {
    ++calls_;
    Resolved target;
    if (std::int32_t status = Resolve(key, KEY_ENUMERATE_SUB_KEYS, target);
        status != ERROR_SUCCESS) {
        return status;
    }
    if (index >= target.key->subkeys.size()) return ERROR_NO_MORE_ITEMS;
    auto entry = std::next(target.key->subkeys.begin(), index);
    return CopyName(entry->second->name, name, nameSize);
}

std::int32_t SimRegistry::RegEnumValueA(RegKey key, std::uint32_t index, char* name,
                                        std::uint32_t* nameSize, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* dataSize) {
    ++calls_;
    Resolved target;
    if (std::int32_t status = Resolve(key, KEY_QUERY_VALUE, target); status != ERROR_SUCCESS) {
        return status;
    }
    if (index >= target.key->values.size()) return ERROR_NO_MORE_ITEMS;
    auto entry = std::next(target.key->values.begin(), index);
    if (std::int32_t status = CopyName(entry->second.first, name, nameSize);
        status != ERROR_SUCCESS) {
        return status;
    }
    const RegistryValue& value = entry->second.second;
    if (type) *type = value.type;
    std::vector<std::uint8_t> delivered = DataFor(value, false);
    auto stored = static_cast<std::uint32_t>(delivered.size());
    if (data) {
        if (!dataSize) return ERROR_INVALID_PARAMETER;
        if (*dataSize < stored) {
            *dataSize = stored;
            return ERROR_MORE_DATA;
        }
        std::copy(delivered.begin(), delivered.end(), data);
    }
    if (dataSize) *dataSize = stored;
    return ERROR_SUCCESS;
}

std::shared_ptr<SimRegistry::Key> SimRegistry::Walk(RegKey root, const std::string& path,
                                                    bool create) const {
    auto found = roots_.find(root);
    if (found == roots_.end()) return nullptr;
    std::shared_ptr<Key> current = found->second;
    for (const std::string& part : SplitPath(path)) {
        auto child = current->subkeys.find(Fold(part));
        if (child == current->subkeys.end()) {
            if (!create) return nullptr;
            auto made = std::make_shared<Key>();
            made->name = part;
            child = current->subkeys.emplace(Fold(part), made).first;
        }
        current = child->second;
    }
    return current;
}

void SimRegistry::Put(const std::string& path, const std::string& valueName, std::uint32_t type,
                      std::vector<std::uint8_t> data, RegKey root) {
    std::shared_ptr<Key> key = Walk(root, path, true);
    key->values[Fold(valueName)] = {valueName, RegistryValue{type, std::move(data)}};
}

void SimRegistry::PutString(const std::string& path, const std::string& valueName,
                            const std::string& text, RegKey root) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    Put(path, valueName, REG_SZ, std::move(bytes), root);
}

void SimRegistry::PutWideString(const std::string& path, const std::string& valueName,
                                const std::wstring& text, RegKey root) {
    std::string bytes = WideToUtf16Le(text + L'\0');
    std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    Walk(root, path, true)->values[Fold(valueName)] = {valueName, RegistryValue{REG_SZ, std::move(data), true}};
}

void SimRegistry::PutByte(const std::string& path, const std::string& valueName,
                          std::uint8_t byte, RegKey root) {
    Put(path, valueName, REG_BINARY, {byte}, root);
}

std::optional<RegistryValue> SimRegistry::Get(const std::string& path,
                                              const std::string& valueName, RegKey root) const {
    std::shared_ptr<Key> key = Walk(root, path, false);
    if (!key) return std::nullopt;
    auto found = key->values.find(Fold(valueName));
    if (found == key->values.end()) return std::nullopt;
    return found->second.second;
}

bool SimRegistry::KeyExists(const std::string& path, RegKey root) const {
    return Walk(root, path, false) != nullptr;
}

void SimRegistry::CreateKey(const std::string& path, RegKey root) { Walk(root, path, true); }

}  // namespace sim
