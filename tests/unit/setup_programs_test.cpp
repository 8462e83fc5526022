// The page "Programme" over the simulated registry: the list as stored,
// programs added by name, path or preset and removed, what stays on in
// each, and the password setting, written as the library reads them.
#include <gtest/gtest.h>

#include <stdexcept>

#include "memory_backup_folder.h"
#include "platform/sim/sim_machine.h"
#include "platform/win_constants.h"
#include "settings/options_registry.h"
#include "settings/program_rules.h"
#include "setup/reg_export.h"
#include "setup/setup_config.h"

using namespace win;

namespace {

class SetupProgramsTest : public ::testing::Test {
protected:
    sim::SimMachine machine;
    TMemoryBackupFolder backups;
    TSetupConfig config{machine.platform, "C:\\Programme\\Zolvik32\\", backups};

    std::vector<std::string> Listed() const {
        std::vector<std::string> names;
        for (const auto& program : config.Programs.Programs()) names.push_back(program->Name());
        return names;
    }
    TSlot& Program(const std::string& name) {
        for (const auto& program : config.Programs.Programs()) {
            if (program->Name() == name) return *program;
        }
        throw std::out_of_range(name);
    }
    // What the library reads for a program now.
    std::uint8_t LibraryReads(const std::string& program) {
        return TProgramRules(machine.registry).LeftAlone(program);
    }
};

TEST_F(SetupProgramsTest, TheListIsShownAsStoredAndChangesAreWrittenAsTheLibraryReadsThem) {
    machine.registry.PutString(ProgramsKeyPath, "wfica32.exe", "Umlaute");
    machine.registry.Put(ProgramsKeyPath, "Spiel.exe", REG_DWORD, {1, 0, 0, 0});
    config.Load();
    ASSERT_EQ(Listed(), (std::vector<std::string>{"Spiel.exe", "wfica32.exe"}));
    EXPECT_EQ(TProgramPage::LeftAlone(Program("Spiel.exe")), AllProgramFeatures)
        << "a value that is no text: everything left alone, as the library reads it";
    EXPECT_EQ(TProgramPage::LeftAlone(Program("wfica32.exe")), pfUmlauts);
    EXPECT_TRUE(config.Programs.SparePasswordFields()) << "missing: on";
    EXPECT_FALSE(config.HasChanges());

    TSlot* remote = config.Programs.Add("C:\\Windows\\System32\\MSTSC.EXE");
    ASSERT_NE(remote, nullptr);
    EXPECT_EQ(config.Programs.Add("mstsc.exe"), remote) << "listed once, whatever the case";
    EXPECT_EQ(config.Programs.Add("C:\\Windows\\"), nullptr) << "no file name";
    TProgramPage::SetLeftAlone(Program("wfica32.exe"), pfUmlauts | pfEasyBackslash);
    config.Programs.Remove(Program("Spiel.exe"));
    config.Programs.SetSparePasswordFields(false);
    EXPECT_EQ(config.Save(), "");

    EXPECT_EQ(Listed(), (std::vector<std::string>{"MSTSC.EXE", "wfica32.exe"}));
    EXPECT_EQ(LibraryReads("mstsc.exe"), AllProgramFeatures) << "added with everything left alone";
    EXPECT_EQ(LibraryReads("wfica32.exe"), pfUmlauts | pfEasyBackslash);
    EXPECT_FALSE(machine.registry.Get(ProgramsKeyPath, "Spiel.exe")) << "removed";
    TOptionsRegistry options(machine.registry, HKEY_CURRENT_USER);
    OpenSettingsKey(options);
    EXPECT_EQ(options.ReadOption(opSparePasswordFields), 0);
    EXPECT_NE(ExportConfiguration(config.Registry(), TExportKind::Plain).find("\"MSTSC.EXE\"=\"alles\""),
              std::string::npos)
        << "exported like the rest";
}

TEST_F(SetupProgramsTest, PresetsAddTheirProgramsAndARemovedProgramComesBackAsNew) {
    machine.registry.PutString(ProgramsKeyPath, "mstsc.exe", "Makros");
    config.Load();
    config.Programs.Remove(*config.Programs.Programs()[0]);
    config.Programs.AddPreset(ProgramPresets[0]);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"msrdc.exe", "mstsc.exe"}));
    EXPECT_EQ(TProgramPage::LeftAlone(Program("mstsc.exe")), AllProgramFeatures);
    EXPECT_EQ(config.Save(), "");
    EXPECT_EQ(LibraryReads("mstsc.exe"), AllProgramFeatures);
    EXPECT_EQ(LibraryReads("msrdc.exe"), AllProgramFeatures);
}

}  // namespace
