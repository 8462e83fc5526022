#include "setup/reg_access.h"

#include "common/cp1252.h"
#include "common/registry_value.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

// Closes the key on every way out.
class TOpenKey {
public:
    TOpenKey(RegistryApi& registry, RegKey root, const std::string& path, std::uint32_t access,
             bool create)
        : registry_(registry) {
        status_ = create ? registry.RegCreateKeyExA(root, path.c_str(), REG_OPTION_NON_VOLATILE,
                                                    access, &key_, nullptr)
                         : registry.RegOpenKeyExA(root, path.c_str(), 0, access, &key_);
        if (status_ != ERROR_SUCCESS) key_ = 0;
    }
    ~TOpenKey() {
        if (key_ != 0) registry_.RegCloseKey(key_);
    }
    TOpenKey(const TOpenKey&) = delete;
    TOpenKey& operator=(const TOpenKey&) = delete;

    RegKey Key() const { return key_; }
    std::int32_t Status() const { return status_; }

private:
    RegistryApi& registry_;
    RegKey key_ = 0;
    std::int32_t status_ = 0;
};

// Value names may be up to 16383 characters, key names up to 255.
constexpr std::uint32_t LongestName = 16384;

}  // namespace

TRegAccess::TRegAccess(RegistryApi& registry, RegKey root) : registry_(registry), root_(root) {}

TRawValue TRegAccess::Read(const std::string& path, const std::string& name) const {
    TRawValue value;
    TOpenKey key(registry_, root_, path, KEY_READ, false);
    if (key.Status() != ERROR_SUCCESS) {
        value.Status = key.Status();
        return value;
    }
    std::uint32_t size = 0;
    std::wstring wideName = Cp1252ToWide(name);
    value.Status = registry_.RegQueryValueExW(key.Key(), wideName.c_str(), &value.Type, nullptr, &size);
    if (value.Status != ERROR_SUCCESS) return value;
    value.Data.resize(size);
    // A value may grow between the two calls; read again at its new size.
    do {
        value.Status = registry_.RegQueryValueExW(key.Key(), wideName.c_str(), &value.Type,
                                                  value.Data.data(), &size);
        value.Data.resize(size);
    } while (value.Status == ERROR_MORE_DATA);
    return value;
}

bool TRegAccess::KeyExists(const std::string& path) const {
    TOpenKey key(registry_, root_, path, KEY_READ, false);
    return key.Status() == ERROR_SUCCESS;
}

std::vector<std::string> TRegAccess::ValueNames(const std::string& path) const {
    return Names(path, [this](RegKey key, std::uint32_t index, char* name, std::uint32_t* size) {
        return registry_.RegEnumValueA(key, index, name, size, nullptr, nullptr, nullptr);
    });
}

std::vector<std::string> TRegAccess::SubkeyNames(const std::string& path) const {
    return Names(path, [this](RegKey key, std::uint32_t index, char* name, std::uint32_t* size) {
        return registry_.RegEnumKeyExA(key, index, name, size);
    });
}

// The names an enumeration gives for the indexes 0, 1, ... until it fails.
std::vector<std::string> TRegAccess::Names(const std::string& path,
                                           const Enumeration& enumerate) const {
    std::vector<std::string> names;
    TOpenKey key(registry_, root_, path, KEY_READ, false);
    if (key.Status() != ERROR_SUCCESS) return names;
    std::vector<char> buffer(LongestName);
    for (std::uint32_t index = 0;; ++index) {
        std::uint32_t size = LongestName;
        if (enumerate(key.Key(), index, buffer.data(), &size) != ERROR_SUCCESS) return names;
        names.emplace_back(buffer.data(), size);
    }
}

std::int32_t TRegAccess::Write(const std::string& path, const std::string& name,
                               std::uint32_t type, const std::vector<std::uint8_t>& data) const {
    TOpenKey key(registry_, root_, path, KEY_WRITE, true);
    if (key.Status() != ERROR_SUCCESS) return key.Status();
    return SetRegistryValue(registry_, key.Key(), name, type, data);
}

std::int32_t TRegAccess::CreateKey(const std::string& path) const {
    TOpenKey key(registry_, root_, path, KEY_WRITE, true);
    return key.Status();
}

std::int32_t TRegAccess::Delete(const std::string& path, const std::string& name) const {
    TOpenKey key(registry_, root_, path, KEY_WRITE, false);
    if (key.Status() == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (key.Status() != ERROR_SUCCESS) return key.Status();
    std::int32_t status = registry_.RegDeleteValueA(key.Key(), name.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

std::vector<std::uint8_t> WideStringData(const std::wstring& text) {
    std::string bytes = WideToUtf16Le(text + L'\0');
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::wstring WideTextOf(const std::vector<std::uint8_t>& data) {
    std::wstring text = Utf16LeToWide(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    return text.substr(0, text.find(L'\0'));
}

std::vector<std::uint8_t> StringData(const std::string& text) { return WideStringData(Cp1252ToWide(text)); }

std::string TextOf(const std::vector<std::uint8_t>& data) { return WideToCp1252(WideTextOf(data)); }
