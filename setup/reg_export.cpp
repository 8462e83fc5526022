#include "setup/reg_export.h"

#include <algorithm>

#include "common/cp1252.h"
#include "common/registry_paths.h"
#include "common/sound_events.h"
#include "platform/win_constants.h"
#include "regfile/reg_writer.h"
#include "setup/settings_page.h"
#include "setup/sound_page.h"

using namespace win;

namespace {

bool ByName(const std::string& a, const std::string& b) { return UpperCase(a) < UpperCase(b); }

void AddTree(const TRegAccess& registry, const std::string& path, std::vector<std::string>& keys) {
    if (!registry.KeyExists(path)) return;
    keys.push_back(path);
    std::vector<std::string> subkeys = registry.SubkeyNames(path);
    std::sort(subkeys.begin(), subkeys.end(), ByName);
    for (const std::string& subkey : subkeys) AddTree(registry, path + "\\" + subkey, keys);
}

// The trees a full backup deletes before it writes them again.
std::vector<std::string> ConfigurationTrees() {
    std::vector<std::string> trees = {SystemKeyPath, SchemeAppKey};
    for (int event = FirstSoundEvent; event < SoundEventCount; ++event) {
        trees.push_back(std::string(EventLabelsKey) + "\\" + SoundEventName(static_cast<TSoundEvent>(event)));
    }
    return trees;
}

bool Within(const std::string& path, const std::string& tree) {
    std::string folded = UpperCase(path);
    std::string top = UpperCase(tree);
    return folded == top || folded.starts_with(top + "\\");
}

// What an import may touch: the trees of the configuration, and of the Run
// key only the value that starts Zolvik32.
std::string OutsideReason(const TRegEntry& entry) {
    std::string key = "[" + RootName(entry.Root) + "\\" + entry.Path + "]";
    std::string refused = " geh\xF6rt nicht zu Zolvik32; die Datei wird nicht importiert.";
    if (entry.Root != HKEY_CURRENT_USER) return key + refused;
    std::vector<std::string> trees = ConfigurationTrees();
    if (std::any_of(trees.begin(), trees.end(), [&](const std::string& tree) { return Within(entry.Path, tree); })) {
        return std::string();
    }
    if (UpperCase(entry.Path) != UpperCase(RunKeyPath)) return key + refused;
    switch (entry.Action) {
        case TRegAction::CreateKey: return std::string();
        case TRegAction::DeleteKey: return key + refused;
        default: break;
    }
    if (UpperCase(entry.Name) == UpperCase(RunValueName)) return std::string();
    return "Der Wert \"" + entry.Name + "\" in " + key + refused;
}

TRegImage ReadImage(const TRegAccess& registry) {
    TRegImage image;
    for (const std::string& path : ConfigurationKeys(registry)) {
        image.AddKey(HKEY_CURRENT_USER, path);
        for (const std::string& name : registry.ValueNames(path)) {
            TRawValue value = registry.Read(path, name);
            if (value.Status == ERROR_SUCCESS) image.SetValue(HKEY_CURRENT_USER, path, name, value.Type, value.Data);
        }
    }
    TRawValue run = registry.Read(RunKeyPath, RunValueName);
    if (run.Status == ERROR_SUCCESS) image.SetValue(HKEY_CURRENT_USER, RunKeyPath, RunValueName, run.Type, run.Data);
    return image;
}

std::string Import(const TRegAccess& registry, const TRegFile& file) {
    try {
        TRegImporter(registry.Api()).Import(file);
        return std::string();
    } catch (const RegFileError& error) {
        return error.what();
    }
}

std::string ImportText(const TRegAccess& registry, const std::string& fileName, const std::string& text) {
    try {
        return Import(registry, ParseRegFile(fileName, text));
    } catch (const RegFileError& error) {
        return error.what();
    }
}

}  // namespace

std::vector<std::string> ConfigurationKeys(const TRegAccess& registry) {
    std::vector<std::string> keys;
    for (const std::string& tree : ConfigurationTrees()) AddTree(registry, tree, keys);
    return keys;
}

std::string ExportConfiguration(const TRegAccess& registry, TExportKind kind) {
    TRegWriter file;
    if (kind == TExportKind::FullBackup) {
        for (const std::string& tree : ConfigurationTrees()) file.DeleteKey(HKEY_CURRENT_USER, tree);
    }
    for (const std::string& path : ConfigurationKeys(registry)) {
        file.Key(HKEY_CURRENT_USER, path);
        std::vector<std::string> names = registry.ValueNames(path);
        std::sort(names.begin(), names.end(), ByName);
        for (const std::string& name : names) {
            TRawValue value = registry.Read(path, name);
            if (value.Status == ERROR_SUCCESS) file.Value(name, value.Type, value.Data);
        }
    }
    if (kind == TExportKind::FullBackup) {
        file.Key(HKEY_CURRENT_USER, RunKeyPath);
        TRawValue run = registry.Read(RunKeyPath, RunValueName);
        if (run.Status == ERROR_SUCCESS) {
            file.Value(RunValueName, run.Type, run.Data);
        } else {
            file.DeleteValue(RunValueName);
        }
    }
    return file.Text();
}

TImportPlan PlanImport(const TRegAccess& registry, const std::string& fileName, std::string_view bytes) {
    TImportPlan plan;
    if (bytes.size() > LargestImport) {
        plan.Failure = fileName + ": die Datei ist gr\xF6\xDF" "er als 1 MiB und wird nicht gelesen.";
        return plan;
    }
    try {
        plan.File = ParseRegFile(fileName, bytes);
    } catch (const RegFileError& error) {
        plan.Failure = error.what();
        return plan;
    }
    for (const TRegEntry& entry : plan.File.Entries) {
        std::string reason = OutsideReason(entry);
        if (!reason.empty()) {
            plan.Failure = RegFileError(fileName, entry.Line, reason).what();
            return plan;
        }
    }
    TRegImage before = ReadImage(registry);
    TRegImage after = before;
    after.Apply(plan.File);
    plan.Changes = before.ChangesTo(after);
    return plan;
}

std::string DescribeChanges(const std::vector<TRegChange>& changes, std::size_t lines) {
    std::string text;
    for (std::size_t i = 0; i < changes.size() && i < lines; ++i) {
        const TRegChange& change = changes[i];
        const char* kind = change.Kind == TRegChangeKind::Added     ? "Neu: "
                           : change.Kind == TRegChangeKind::Changed ? "Ge\xE4ndert: "
                                                                    : "Gel\xF6scht: ";
        text += std::string(kind) + change.Path + " \"" + (change.Name.empty() ? "(Standard)" : change.Name) + "\"\r\n";
    }
    if (changes.size() > lines) text += "... und " + std::to_string(changes.size() - lines) + " weitere\r\n";
    return text;
}

std::string ImportPlanned(const TRegAccess& registry, const TImportPlan& plan, const std::string& backup) {
    std::string failure = Import(registry, plan.File);
    if (failure.empty()) return failure;
    std::string restored = ImportText(registry, "Sicherung", backup);
    if (!restored.empty()) {
        return failure + "\r\nDie Sicherung konnte nicht zur\xFC" "ckgeschrieben werden: " + restored;
    }
    return failure + "\r\nNichts wurde ge\xE4ndert: die Konfiguration ist wieder, wie sie war.";
}
