#include "setup/reg_export.h"

#include <algorithm>
#include <cstdio>

#include "common/registry_paths.h"
#include "common/sound_events.h"
#include "platform/win_constants.h"
#include "setup/sound_page.h"
#include "common/cp1252.h"
#include "regfile/reg_file.h"

using namespace win;

namespace {


void AddTree(const TRegAccess& registry, const std::string& path, std::vector<std::string>& keys) {
    if (!registry.KeyExists(path)) return;
    keys.push_back(path);
    std::vector<std::string> subkeys = registry.SubkeyNames(path);
    std::sort(subkeys.begin(), subkeys.end(),
              [](const std::string& a, const std::string& b) { return UpperCase(a) < UpperCase(b); });
    for (const std::string& subkey : subkeys) AddTree(registry, path + "\\" + subkey, keys);
}

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string HexBytes(const std::vector<std::uint8_t>& data) {
    std::string hex;
    char byte[4];
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : ",%02x", data[i]);
        hex += byte;
    }
    return hex;
}

// A string that a quoted text gives back exactly: one NUL at its end and
// no control character before it.
bool QuotableString(const TRawValue& value) {
    if (value.Type != REG_SZ || value.Data.empty() || value.Data.back() != 0) return false;
    return std::none_of(value.Data.begin(), value.Data.end() - 1,
                        [](std::uint8_t byte) { return byte < 0x20 || byte == 0x7F; });
}

std::string ValueData(const TRawValue& value) {
    if (QuotableString(value)) return Quoted(TextOf(value.Data));
    if (value.Type == REG_DWORD && value.Data.size() == 4) {
        char dword[16];
        std::snprintf(dword, sizeof dword, "dword:%08x",
                      value.Data[0] | value.Data[1] << 8 | value.Data[2] << 16 |
                          static_cast<unsigned>(value.Data[3]) << 24);
        return dword;
    }
    if (value.Type == REG_BINARY) return "hex:" + HexBytes(value.Data);
    char type[16];
    std::snprintf(type, sizeof type, "hex(%x):", static_cast<unsigned>(value.Type));
    return type + HexBytes(value.Data);
}

}  // namespace

std::vector<std::string> ConfigurationKeys(const TRegAccess& registry) {
    std::vector<std::string> keys;
    AddTree(registry, SystemKeyPath, keys);
    AddTree(registry, SchemeAppKey, keys);
    for (int event = FirstSoundEvent; event < SoundEventCount; ++event) {
        std::string label = std::string(EventLabelsKey) + "\\" + SoundEventName(static_cast<TSoundEvent>(event));
        AddTree(registry, label, keys);
    }
    return keys;
}

std::string ExportConfiguration(const TRegAccess& registry) {
    std::string file = "REGEDIT4\r\n";
    for (const std::string& path : ConfigurationKeys(registry)) {
        file += "\r\n[HKEY_CURRENT_USER\\" + path + "]\r\n";
        std::vector<std::string> names = registry.ValueNames(path);
        std::sort(names.begin(), names.end(),
                  [](const std::string& a, const std::string& b) { return UpperCase(a) < UpperCase(b); });
        for (const std::string& name : names) {
            TRawValue value = registry.Read(path, name);
            if (value.Status != ERROR_SUCCESS) continue;
            file += (name.empty() ? std::string("@") : Quoted(name)) + "=" + ValueData(value) + "\r\n";
        }
    }
    return file + "\r\n";
}

std::string ImportConfiguration(RegistryApi& registry, const std::string& fileName,
                                std::string_view bytes) {
    try {
        TRegFile file = ParseRegFile(fileName, bytes);
        TRegImporter(registry).Import(file);
        return std::string();
    } catch (const std::exception& error) {
        // The reader speaks UTF-8 to terminals; the program shows 1252.
        try {
            return Utf8ToCp1252(error.what());
        } catch (const TextError&) {
            return error.what();
        }
    }
}
