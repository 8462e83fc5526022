// What the system relies on from the registry, checked against both the
// simulation and the real API under Wine, so the simulation cannot be kinder
// than Windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win_constants.h"
#include "settings/options_registry.h"
#include "tests/contract/contract_backend.h"

using namespace win;

namespace {

constexpr const char* ScratchParent = "Software\\Quendlin";
constexpr const char* Scratch = "Software\\Quendlin\\ZolvikContract";

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

class RegistryContract : public ::testing::Test {
protected:
    RegistryApi& api = ContractRegistry();
    RegKey key = 0;

    void SetUp() override {
        RemoveScratch();
        ASSERT_EQ(api.RegCreateKeyExA(HKEY_CURRENT_USER, Scratch, REG_OPTION_NON_VOLATILE,
                                      KEY_ALL_ACCESS, &key, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        if (key) api.RegCloseKey(key);
        RemoveScratch();
    }
    void RemoveScratch() {
        RegKey parent = 0;
        if (api.RegOpenKeyExA(HKEY_CURRENT_USER, ScratchParent, 0, KEY_ALL_ACCESS, &parent) !=
            ERROR_SUCCESS) {
            return;
        }
        api.RegDeleteKeyA(parent, "ZolvikContract\\Child");
        api.RegDeleteKeyA(parent, "ZolvikContract");
        api.RegCloseKey(parent);
    }
    void Set(const char* name, std::uint32_t type, const std::vector<std::uint8_t>& data) {
        ASSERT_EQ(api.RegSetValueExA(key, name, type, data.data(),
                                     static_cast<std::uint32_t>(data.size())),
                  ERROR_SUCCESS);
    }
    std::int32_t Query(const char* name, std::uint32_t& type, std::uint32_t& size) {
        return api.RegQueryValueExA(key, name, &type, nullptr, &size);
    }
};

TEST_F(RegistryContract, KeysMustBeOpenedOrCreated) {
    RegKey child = 0;
    EXPECT_EQ(api.RegOpenKeyExA(key, "Child", 0, KEY_ALL_ACCESS, &child), ERROR_FILE_NOT_FOUND);
    std::uint32_t disposition = 0;
    ASSERT_EQ(api.RegCreateKeyExA(key, "Child", 0, KEY_ALL_ACCESS, &child, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    api.RegCloseKey(child);
    ASSERT_EQ(api.RegCreateKeyExA(key, "CHILD", 0, KEY_ALL_ACCESS, &child, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY) << "key names ignore case";
    api.RegCloseKey(child);
}

TEST_F(RegistryContract, ClosedHandleIsInvalid) {
    RegKey child = 0;
    ASSERT_EQ(api.RegCreateKeyExA(key, "Child", 0, KEY_ALL_ACCESS, &child, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(api.RegCloseKey(child), ERROR_SUCCESS);
    std::uint32_t size = 0;
    EXPECT_EQ(api.RegQueryValueExA(child, "x", nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryContract, ReadOnlyHandleCannotWrite) {
    RegKey readOnly = 0;
    ASSERT_EQ(api.RegOpenKeyExA(HKEY_CURRENT_USER, Scratch, 0, KEY_READ, &readOnly),
              ERROR_SUCCESS);
    std::uint8_t one = 1;
    EXPECT_EQ(api.RegSetValueExA(readOnly, "x", REG_BINARY, &one, 1), ERROR_ACCESS_DENIED);
    api.RegCloseKey(readOnly);
}

TEST_F(RegistryContract, KeyWithSubkeysCannotBeDeleted) {
    RegKey child = 0;
    ASSERT_EQ(api.RegCreateKeyExA(key, "Child", 0, KEY_ALL_ACCESS, &child, nullptr),
              ERROR_SUCCESS);
    api.RegCloseKey(child);
    RegKey parent = 0;
    ASSERT_EQ(api.RegOpenKeyExA(HKEY_CURRENT_USER, ScratchParent, 0, KEY_ALL_ACCESS, &parent),
              ERROR_SUCCESS);
    EXPECT_EQ(api.RegDeleteKeyA(parent, "ZolvikContract"), ERROR_ACCESS_DENIED);
    api.RegCloseKey(parent);
}

TEST_F(RegistryContract, MissingValueIsFileNotFound) {
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(Query("nothing", type, size), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryContract, StringSizeIncludesTheNul) {
    Set("text", REG_SZ, Bytes(std::string("abc", 4)));
    std::uint32_t type = 0, size = 0;
    ASSERT_EQ(Query("text", type, size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 4u);
}

TEST_F(RegistryContract, SmallBufferGetsMoreDataAndTheSizeNeeded) {
    Set("text", REG_SZ, Bytes(std::string("abcdef", 7)));
    std::uint8_t buffer[3];
    std::uint32_t size = sizeof buffer;
    std::uint32_t type = 0;
    EXPECT_EQ(api.RegQueryValueExA(key, "text", &type, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 7u);
    Set("bin", REG_BINARY, {1, 2, 3, 4});
    size = 1;
    EXPECT_EQ(api.RegQueryValueExA(key, "bin", &type, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
}

// Wine's 64-bit registry calls put a NUL behind a string stored without
// one; Windows and Wine's 32-bit calls give the bytes as stored. The system
// reads strings up to the first NUL, so both read the same text.
#if defined(_WIN64)
const std::string NoNulAsRead("abc", 4);
#else
const std::string NoNulAsRead("abc");
#endif

TEST_F(RegistryContract, StringsKeepTheirExactBytes) {
    Set("noNul", REG_SZ, Bytes("abc"));
    Set("embedded", REG_SZ, Bytes(std::string("ab\0cd\0", 6)));
    for (auto [name, expected] :
         {std::pair{"noNul", NoNulAsRead}, std::pair{"embedded", std::string("ab\0cd\0", 6)}}) {
        std::uint8_t buffer[16] = {};
        std::uint32_t size = sizeof buffer;
        std::uint32_t type = 0;
        ASSERT_EQ(api.RegQueryValueExA(key, name, &type, buffer, &size), ERROR_SUCCESS) << name;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), size), expected) << name;
    }
}

std::vector<std::uint8_t> Utf16(const std::u16string& text) {
    std::vector<std::uint8_t> bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

std::vector<std::uint8_t> Read(RegistryApi& api, RegKey key, bool wide, const char* name) {
    std::vector<std::uint8_t> buffer(64);
    std::uint32_t size = static_cast<std::uint32_t>(buffer.size());
    std::uint32_t type = 0;
    std::wstring wideName(name, name + std::char_traits<char>::length(name));
    std::int32_t status = wide ? api.RegQueryValueExW(key, wideName.c_str(), &type, buffer.data(), &size)
                               : api.RegQueryValueExA(key, name, &type, buffer.data(), &size);
    EXPECT_EQ(status, ERROR_SUCCESS) << name;
    buffer.resize(status == ERROR_SUCCESS ? size : 0);
    return buffer;
}

// The configuration program writes texts with the wide call and the
// library reads them with either; older versions wrote them with the ANSI
// call, in code page 1252.
TEST_F(RegistryContract, WideAndAnsiCallsMeetInUtf16) {
    const std::vector<std::uint8_t> dvorak = Utf16(std::u16string(u"Dvo\u0159\u00E1k\0", 7));
    ASSERT_EQ(api.RegSetValueExW(key, L"wide", REG_SZ, dvorak.data(), static_cast<std::uint32_t>(dvorak.size())),
              ERROR_SUCCESS);
    EXPECT_EQ(Read(api, key, true, "wide"), dvorak);
    const std::vector<std::uint8_t> chinese = Utf16(std::u16string(u"Gr\u00FC\u00DF \u4E2D\0", 7));
    ASSERT_EQ(api.RegSetValueExW(key, L"chinese", REG_SZ, chinese.data(), static_cast<std::uint32_t>(chinese.size())),
              ERROR_SUCCESS);
    EXPECT_EQ(Read(api, key, false, "chinese"), Bytes(std::string("Gr\xFC\xDF ?", 7)))
        << "what code page 1252 lacks, and has no near letter for, reads as a question mark";
    Set("ansi", REG_EXPAND_SZ, Bytes(std::string("Gr\xFC\xDF" "e \x80", 8)));
    EXPECT_EQ(Read(api, key, true, "ansi"), Utf16(std::u16string(u"Gr\u00FC\u00DFe \u20AC\0", 8)));
    const std::vector<std::uint8_t> binary = {0x80, 0x01, 0x00};
    ASSERT_EQ(api.RegSetValueExW(key, L"bin", REG_BINARY, binary.data(), 3), ERROR_SUCCESS);
    EXPECT_EQ(Read(api, key, false, "bin"), binary) << "only strings are converted";
}

TEST_F(RegistryContract, ZeroLengthValueExists) {
    Set("empty", REG_BINARY, {});
    std::uint32_t type = 0, size = 99;
    ASSERT_EQ(Query("empty", type, size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(size, 0u);
}

TEST_F(RegistryContract, DefaultValueHasTheEmptyName) {
    Set("", REG_SZ, Bytes(std::string("d", 2)));
    std::uint32_t type = 0, size = 0;
    ASSERT_EQ(api.RegQueryValueExA(key, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);
}

TEST_F(RegistryContract, ValueNamesIgnoreCase) {
    Set("Mixed Case", REG_BINARY, {7});
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(Query("MIXED CASE", type, size), ERROR_SUCCESS);
}

// The configuration program lists the values and subkeys of a key; it
// must not rely on their order.
TEST_F(RegistryContract, EnumerationGivesEveryNameOnceThenNoMoreItems) {
    Set("Zweiter", REG_SZ, Bytes(std::string("b\0", 2)));
    Set("", REG_BINARY, {1});
    Set("Erster", REG_DWORD, {1, 0, 0, 0});
    RegKey child = 0;
    ASSERT_EQ(api.RegCreateKeyExA(key, "Child", REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &child, nullptr),
              ERROR_SUCCESS);
    api.RegCloseKey(child);

    std::vector<std::string> names;
    char name[64];
    std::uint32_t index = 0;
    for (;; ++index) {
        std::uint32_t size = sizeof name;
        std::uint32_t type = 0;
        std::int32_t status = api.RegEnumValueA(key, index, name, &size, &type, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(status, ERROR_SUCCESS);
        EXPECT_EQ(size, std::string(name).size()) << "the size leaves out the NUL";
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"", "Erster", "Zweiter"}));

    int tooLong = 0;
    for (std::uint32_t i = 0; i < index; ++i) {
        std::uint32_t small = 3;
        tooLong += api.RegEnumValueA(key, i, name, &small, nullptr, nullptr, nullptr) == ERROR_MORE_DATA;
    }
    EXPECT_EQ(tooLong, 2) << "the two names longer than the buffer";
    std::uint32_t size = sizeof name;
    ASSERT_EQ(api.RegEnumKeyExA(key, 0, name, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name), "Child");
    EXPECT_EQ(size, 5u);
    size = sizeof name;
    EXPECT_EQ(api.RegEnumKeyExA(key, 1, name, &size), ERROR_NO_MORE_ITEMS);
}

TEST(SystemContract, ErrorTextsOfTheRegistryErrors) {
    char text[256] = {};
    std::uint32_t length = ContractSystem().FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_ACCESS_DENIED, 0,
        text, sizeof text, nullptr);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(std::string(text).size(), length);
    EXPECT_EQ(std::string(text).substr(length - 2), "\r\n") << "Windows ends the text with a line end";
}

// The settings store over the same backend.
class SettingsContract : public ::testing::Test {
protected:
    RegistryApi& api = ContractRegistry();

    void SetUp() override { RemoveSettingsKey(); }
    void TearDown() override { RemoveSettingsKey(); }
    void RemoveSettingsKey() {
        RegKey parent = 0;
        if (api.RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quendlin\\Zolvik32", 0,
                              KEY_ALL_ACCESS, &parent) == ERROR_SUCCESS) {
            // A key with subkeys cannot be deleted; the speaker tones are
            // the settings key's only subkey.
            api.RegDeleteKeyA(parent, "Settings\\Speaker");
            api.RegDeleteKeyA(parent, "Settings");
            api.RegCloseKey(parent);
        }
    }
    void Put(const char* name, std::uint32_t type, const std::vector<std::uint8_t>& data) {
        RegKey key = 0;
        ASSERT_EQ(api.RegCreateKeyExA(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_ALL_ACCESS,
                                      &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(api.RegSetValueExA(key, name, type, data.data(),
                                     static_cast<std::uint32_t>(data.size())),
                  ERROR_SUCCESS);
        api.RegCloseKey(key);
    }
    std::vector<std::uint8_t> Stored(const char* name, std::uint32_t& type) {
        RegKey key = 0;
        EXPECT_EQ(api.RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_READ, &key),
                  ERROR_SUCCESS);
        std::vector<std::uint8_t> data(16);
        auto size = static_cast<std::uint32_t>(data.size());
        EXPECT_EQ(api.RegQueryValueExA(key, name, &type, data.data(), &size), ERROR_SUCCESS);
        api.RegCloseKey(key);
        data.resize(size);
        return data;
    }
};

TEST_F(SettingsContract, FreshProfileGetsTheKeyAndAllDefaults) {
    TOptionsRegistry store(api, HKEY_CURRENT_USER);
    OpenSettingsKey(store);
    RegKey key = 0;
    ASSERT_EQ(api.RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_READ, &key),
              ERROR_SUCCESS);
    api.RegCloseKey(key);
    for (int option = opEnabled; option < OptionCount; ++option) {
        if (option == opDecimalDot) continue;
        std::uint8_t expected = option == opSparePasswordFields ? 1 : 0;
        EXPECT_EQ(store.ReadOption(static_cast<TOption>(option)), expected) << option;
    }
    EXPECT_EQ(store.ReadUmlautMode(), 0);
    EXPECT_EQ(store.ReadOptionString(opDecimalDot), "");
}

TEST_F(SettingsContract, DwordFlagIsAnInvalidTypeErrorNamingTheValue) {
    Put("Zolvik eingeschaltet", REG_DWORD, {1, 0, 0, 0});
    TOptionsRegistry store(api, HKEY_CURRENT_USER);
    OpenSettingsKey(store);
    try {
        store.ReadOption(opEnabled);
        FAIL() << "no error";
    } catch (const ERegistryException& error) {
        EXPECT_STREQ(error.what(), "Ung\xFCltiger Datentyp f\xFCr 'Zolvik eingeschaltet'");
    }
}

TEST_F(SettingsContract, ZeroLengthFlagReadsAsTheDefault) {
    Put("EasyTab", REG_BINARY, {});
    TOptionsRegistry store(api, HKEY_CURRENT_USER);
    OpenSettingsKey(store);
    EXPECT_EQ(store.ReadOption(opEasyTab), 0);
    EXPECT_EQ(store.ReadFlag("EasyTab", 7), 7);
}

TEST_F(SettingsContract, StoredTwoReadsAsOnAndWriteFlagWritesOneByte) {
    Put("NUM Punkt", REG_BINARY, {2});
    TOptionsRegistry store(api, HKEY_CURRENT_USER);
    OpenSettingsKey(store);
    EXPECT_EQ(store.ReadOption(opNumDot), 2);
    store.WriteOption(opNumDot, store.ReadOption(opNumDot) ^ 1);
    std::uint32_t type = 0;
    EXPECT_EQ(Stored("NUM Punkt", type), std::vector<std::uint8_t>{3});
    EXPECT_EQ(type, REG_BINARY);
}

TEST_F(SettingsContract, DecimalDotStrings) {
    TOptionsRegistry store(api, HKEY_CURRENT_USER);
    OpenSettingsKey(store);
    EXPECT_EQ(store.ReadOptionString(opDecimalDot), "") << "missing";
    Put("DecimalDot", REG_SZ, {','});
    EXPECT_EQ(store.ReadOptionString(opDecimalDot), ",") << "stored without NUL";
    Put("DecimalDot", REG_SZ, {',', '-', 0, 'x', 0});
    EXPECT_EQ(store.ReadOptionString(opDecimalDot), ",-") << "embedded NUL";
    Put("DecimalDot", REG_EXPAND_SZ, Bytes(std::string("%TEMP%", 7)));
    EXPECT_EQ(store.ReadOptionString(opDecimalDot), "%TEMP%") << "not expanded";
    Put("DecimalDot", REG_BINARY, {','});
    EXPECT_THROW(store.ReadOptionString(opDecimalDot), ERegistryException);
}

}  // namespace
