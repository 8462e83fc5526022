#include "settings/registry.h"

#include <algorithm>
#include <vector>

#include "common/cp1252.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

// Texts of the registry errors, code page 1252 ("\xFC" is u-umlaut).
constexpr const char* CannotSetData = "Konnte Daten f\xFCr '%s' nicht setzen";
constexpr const char* InvalidDataType = "Ung\xFCltiger Datentyp f\xFCr '%s'";
constexpr const char* CannotGetData = "Konnte Daten f\xFCr '%s' nicht holen";

[[noreturn]] void Fail(const char* pattern, const std::string& name) {
    std::string message = pattern;
    message.replace(message.find("%s"), 2, name);
    throw ERegistryException(message);
}

bool IsStringType(std::uint32_t type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// Binary data, and every type the registry layer does not know, may be read
// as bytes; strings and integers may not.
bool IsReadableAsBytes(std::uint32_t type) {
    return type == REG_BINARY || !(IsStringType(type) || type == REG_DWORD);
}

// A string value's data by the ANSI or the wide query, asked for its size
// first; none when missing or of size 0. The platform may report a larger
// size for the query than it delivers.
template <typename Query>
std::vector<std::uint8_t> ReadStringData(const std::string& name, Query query) {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (query(&type, nullptr, &size) != ERROR_SUCCESS || size == 0) return {};
    std::vector<std::uint8_t> data(size);
    if (query(&type, data.data(), &size) != ERROR_SUCCESS) Fail(CannotGetData, name);
    if (!IsStringType(type)) Fail(InvalidDataType, name);
    data.resize(std::min<std::size_t>(size, data.size()));
    return data;
}

}  // namespace

TRegistry::TRegistry(RegistryApi& api)
    : RootKey(HKEY_CURRENT_USER), Access(KEY_ALL_ACCESS), Api(api) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::CloseKey() {
    if (CurrentKey != 0) {
        Api.RegCloseKey(CurrentKey);
        CurrentKey = 0;
        CurrentPath.clear();
    }
}

bool TRegistry::OpenSubkey(const std::string& path, bool canCreate) {
    RegKey opened = 0;
    std::int32_t status =
        canCreate ? Api.RegCreateKeyExA(RootKey, path.c_str(), REG_OPTION_NON_VOLATILE, Access,
                                        &opened, nullptr)
                  : Api.RegOpenKeyExA(RootKey, path.c_str(), 0, Access, &opened);
    if (status != ERROR_SUCCESS) return false;
    CloseKey();
    CurrentKey = opened;
    CurrentPath = path;
    return true;
}

bool TRegistry::HasValue(const std::string& name) {
    std::uint32_t size = 0;
    return Api.RegQueryValueExA(CurrentKey, name.c_str(), nullptr, nullptr, &size) ==
           ERROR_SUCCESS;
}

std::uint32_t TRegistry::ReadBytes(const std::string& name, std::uint8_t* buffer,
                                   std::uint32_t size) {
    std::uint32_t type = 0;
    std::uint32_t stored = 0;
    if (Api.RegQueryValueExA(CurrentKey, name.c_str(), &type, nullptr, &stored) != ERROR_SUCCESS) {
        return 0;
    }
    if (!IsReadableAsBytes(type) || stored > size) Fail(InvalidDataType, name);
    std::uint32_t read = stored;
    if (stored > 0 &&
        Api.RegQueryValueExA(CurrentKey, name.c_str(), &type, buffer, &read) != ERROR_SUCCESS) {
        Fail(CannotGetData, name);
    }
    return read;
}

void TRegistry::WriteBytes(const std::string& name, const std::uint8_t* buffer,
                           std::uint32_t size) {
    if (Api.RegSetValueExA(CurrentKey, name.c_str(), REG_BINARY, buffer, size) != ERROR_SUCCESS) {
        Fail(CannotSetData, name);
    }
}

std::string TRegistry::ReadText(const std::string& name) {
    std::vector<std::uint8_t> data = ReadStringData(name, [&](std::uint32_t* type, std::uint8_t* buffer, std::uint32_t* size) {
        return Api.RegQueryValueExA(CurrentKey, name.c_str(), type, buffer, size);
    });
    std::string text(data.begin(), data.end());
    return text.substr(0, text.find('\0'));
}

std::wstring TRegistry::ReadWideText(const std::string& name) {
    std::wstring wideName = Cp1252ToWide(name);
    std::vector<std::uint8_t> data = ReadStringData(name, [&](std::uint32_t* type, std::uint8_t* buffer, std::uint32_t* size) {
        return Api.RegQueryValueExW(CurrentKey, wideName.c_str(), type, buffer, size);
    });
    std::wstring text = Utf16LeToWide(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    return text.substr(0, text.find(L'\0'));
}
