// The settings store over the simulated registry: the failures a test can
// only provoke in the simulation, and what a read must never do.
#include <gtest/gtest.h>

#include <functional>

#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_system.h"
#include "platform/win_constants.h"
#include "settings/options_registry.h"

using namespace win;

namespace {

class OptionsRegistryTest : public ::testing::Test {
protected:
    sim::SimRegistry registry;

    std::string ErrorOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const ERegistryException& error) {
            return error.what();
        }
        return "no error";
    }
};

TEST_F(OptionsRegistryTest, FailedWriteNamesTheValue) {
    TOptionsRegistry store(registry, HKEY_CURRENT_USER);
    OpenSettingsKey(store);
    registry.SetWritesFail(true);
    EXPECT_EQ(ErrorOf([&] { store.WriteOption(opNumDot, 1); }),
              "Konnte Daten f\xFCr 'NUM Punkt' nicht setzen");
    EXPECT_EQ(ErrorOf([&] { store.WriteUmlautMode(1); }),
              "Konnte Daten f\xFCr 'UmlautMode' nicht setzen");
}

TEST_F(OptionsRegistryTest, FailedDataReadAfterSizeQueryNamesTheValue) {
    registry.PutByte(SettingsKeyPath, "EasyTab", 1);
    registry.PutString(SettingsKeyPath, "DecimalDot", ",");
    TOptionsRegistry store(registry, HKEY_CURRENT_USER);
    OpenSettingsKey(store);
    registry.SetDataReadsFail(true);
    EXPECT_EQ(ErrorOf([&] { store.ReadOption(opEasyTab); }),
              "Konnte Daten f\xFCr 'EasyTab' nicht holen");
    EXPECT_EQ(ErrorOf([&] { store.ReadOptionString(opDecimalDot); }),
              "Konnte Daten f\xFCr 'DecimalDot' nicht holen");
}

TEST_F(OptionsRegistryTest, KeyThatCannotBeOpenedReadsDefaultsAndRefusesWrites) {
    registry.DenyAccess(SettingsKeyPath);
    TOptionsRegistry store(registry, HKEY_CURRENT_USER);
    OpenSettingsKey(store);
    EXPECT_EQ(store.CurrentKey, 0u);
    EXPECT_EQ(store.ReadOption(opEnabled), 0);
    EXPECT_EQ(store.ReadOptionString(opDecimalDot), "");
    EXPECT_EQ(ErrorOf([&] { store.WriteOption(opEnabled, 1); }),
              "Konnte Daten f\xFCr 'Zolvik eingeschaltet' nicht setzen");
}

// A process of low integrity (a browser's sandboxed tab, say) may read the
// settings but not write them: the hook library there must see the master
// switch as it is.
TEST_F(OptionsRegistryTest, LowIntegrityProcessReadsTheSettingsAndCannotWriteThem) {
    sim::SimSystem system;
    registry.AttachSystem(system);
    registry.PutByte(SettingsKeyPath, "Zolvik eingeschaltet", 1);
    system.SetIntegrity(1, sim::SimSystem::Integrity::Low);
    TOptionsRegistry store(registry, HKEY_CURRENT_USER);
    OpenSettingsKey(store);
    EXPECT_EQ(store.ReadOption(opEnabled), 1);
    EXPECT_EQ(ErrorOf([&] { store.WriteOption(opEnabled, 0); }),
              "Konnte Daten f\xFCr 'Zolvik eingeschaltet' nicht setzen");
    EXPECT_EQ(registry.Get(SettingsKeyPath, "Zolvik eingeschaltet")->data, std::vector<std::uint8_t>{1});
}

// Wrongly typed or sized content gives the value or the error, never
// anything in between.
TEST_F(OptionsRegistryTest, FlagTypesAndSizes) {
    struct Case {
        const char* why;
        std::uint32_t type;
        std::vector<std::uint8_t> data;
        int expected;  // -1: the invalid-type error
    };
    const Case cases[] = {
        {"one binary byte", REG_BINARY, {5}, 5},
        {"two binary bytes", REG_BINARY, {1, 0}, -1},
        {"a dword", REG_DWORD, {1, 0, 0, 0}, -1},
        {"a one-byte string", REG_SZ, {0}, -1},
        {"an expand string", REG_EXPAND_SZ, {'1', 0}, -1},
        {"an untyped byte", REG_NONE, {9}, 9},
        {"a one-byte multi-string", REG_MULTI_SZ, {0}, 0},
        {"an empty untyped value", REG_NONE, {}, 0},
        {"a long qword", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, -1},
    };
    for (const Case& c : cases) {
        registry.Put(SettingsKeyPath, "Umlautwandlung", c.type, c.data);
        TOptionsRegistry store(registry, HKEY_CURRENT_USER);
        OpenSettingsKey(store);
        if (c.expected < 0) {
            EXPECT_EQ(ErrorOf([&] { store.ReadOption(opUmlautConversion); }),
                      "Ung\xFCltiger Datentyp f\xFCr 'Umlautwandlung'")
                << c.why;
        } else {
            EXPECT_EQ(store.ReadOption(opUmlautConversion), c.expected) << c.why;
        }
    }
}

TEST_F(OptionsRegistryTest, ReadsNeverWrite) {
    registry.Put(SettingsKeyPath, "EasyTab", REG_DWORD, {1, 0, 0, 0});
    TOptionsRegistry store(registry, HKEY_CURRENT_USER);
    OpenSettingsKey(store);
    registry.SetWritesFail(true);
    for (int option = opEnabled; option < OptionCount; ++option) {
        try {
            if (option == opDecimalDot) {
                store.ReadOptionString(opDecimalDot);
            } else {
                store.ReadOption(static_cast<TOption>(option));
            }
        } catch (const ERegistryException&) {
        }
    }
    store.ReadUmlautMode();
    EXPECT_FALSE(registry.Get(SettingsKeyPath, "Zolvik eingeschaltet").has_value());
    EXPECT_EQ(registry.Get(SettingsKeyPath, "EasyTab")->type, REG_DWORD);
}

TEST_F(OptionsRegistryTest, DestructionClosesTheKey) {
    {
        TOptionsRegistry store(registry, HKEY_CURRENT_USER);
        OpenSettingsKey(store);
        ASSERT_TRUE(store.OpenSubkey(SettingsKeyPath, false)) << "reopening replaces the key";
        EXPECT_EQ(registry.OpenHandleCount(), 1u);
    }
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(OptionsRegistryTest, HasValueAsksOnlyForTheSize) {
    registry.PutByte(SettingsKeyPath, "EasyTab", 1);
    TOptionsRegistry store(registry, HKEY_CURRENT_USER);
    OpenSettingsKey(store);
    registry.SetDataReadsFail(true);
    EXPECT_TRUE(store.HasValue("EasyTab"));
    EXPECT_FALSE(store.HasValue("EasyBackslash"));
}

}  // namespace
