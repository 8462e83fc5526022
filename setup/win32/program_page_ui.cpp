#include <algorithm>
#include <utility>
#include <vector>

#include "common/cp1252.h"
#include "common/module_path.h"
#include "settings/program_rules.h"
#include "setup/win32/pages.h"

namespace {

enum : int { ListId = 700, AddId, PickId, RemoveId, StatusId, SpareId, FirstFeatureId };
// The commands of the menu behind "Hinzufügen...".
enum : UINT { FirstRunningCommand = 1, FirstPresetCommand = 100, BrowseCommand = 200 };
constexpr UINT PickMessage = WM_APP + 1;
constexpr UINT_PTR PickTimer = 1;
constexpr UINT PickDelay = 3000;
constexpr std::size_t MostRunningShown = 30;

const char* const FeatureLabels[] = {
    "&Makros",
    "&Umlautwandlung",
    "&Ziffernblock (NUM Punkt, EasyTab, NUM-Umschaltung)",
    "Easy&Backslash",
};

// The program file name of the process that owns a window; empty when
// Windows does not tell it (a process of another user, say).
std::string ProgramOfWindow(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return std::string();
    char path[MAX_PATH];
    DWORD size = MAX_PATH;
    bool known = QueryFullProcessImageNameA(process, 0, path, &size);
    CloseHandle(process);
    return known ? FileNamePart(std::string(path, size)) : std::string();
}

BOOL CALLBACK CollectMainWindow(HWND window, LPARAM list) {
    if (IsWindowVisible(window) && !GetWindow(window, GW_OWNER) && GetWindowTextLengthA(window) > 0) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

// The programs of other processes with a visible, titled main window: file
// name and title, each program once.
std::vector<std::pair<std::string, std::string>> RunningPrograms() {
    std::vector<HWND> windows;
    EnumWindows(CollectMainWindow, reinterpret_cast<LPARAM>(&windows));
    std::vector<std::pair<std::string, std::string>> programs;
    for (HWND window : windows) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        if (processId == GetCurrentProcessId()) continue;
        std::string name = ProgramOfWindow(window);
        bool listed = std::any_of(programs.begin(), programs.end(),
                                  [&](const auto& program) { return UpperCase(program.first) == UpperCase(name); });
        if (name.empty() || listed) continue;
        programs.emplace_back(name, WindowText(window));
        if (programs.size() == MostRunningShown) break;
    }
    return programs;
}

void CALLBACK PickTimerDue(HWND window, UINT, UINT_PTR timer, DWORD) {
    KillTimer(window, timer);
    PostMessageA(window, PickMessage, 0, 0);
}

class TProgramPageUi final : public TPage {
public:
    using TPage::TPage;

    const char* Title() const override { return "Programme"; }
    const char* HelpTopic() const override { return "9-programme"; }

    void Build() override {
        AddLabel(Window,
                 "Programme, in denen Zolvik32 Funktionen ausl\xE4sst. Angehakt ist, was im gew\xE4hlten Programm "
                 "an bleibt; ist nichts angehakt, gehen dort alle Tasten unver\xE4ndert durch (auch AltGr+F1).",
                 6, 8, 340, 24);
        AddControl(Window, "LISTBOX", "", LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 6, 36, 150, 110, ListId);
        AddControl(Window, "BUTTON", "H&inzuf\xFCgen...", BS_PUSHBUTTON | WS_TABSTOP, 164, 36, 80, 14, AddId);
        AddControl(Window, "BUTTON", "Fenster &w\xE4hlen", BS_PUSHBUTTON | WS_TABSTOP, 164, 54, 80, 14, PickId);
        AddControl(Window, "BUTTON", "&Entfernen", BS_PUSHBUTTON | WS_TABSTOP, 248, 36, 80, 14, RemoveId);
        for (int i = 0; i < 4; ++i) {
            AddControl(Window, "BUTTON", FeatureLabels[i], BS_AUTOCHECKBOX | WS_TABSTOP, 164, 80 + 13 * i, 200, 10,
                       FirstFeatureId + i);
        }
        AddControl(Window, "STATIC", "", SS_LEFT | SS_NOPREFIX, 6, 152, 340, 10, StatusId);
        AddControl(Window, "BUTTON", "In &Kennwortfeldern nicht umwandeln (Umlaute, EasyBackslash, NUM Punkt)",
                   BS_AUTOCHECKBOX | WS_TABSTOP, 6, 170, 340, 10, SpareId);
        AddLabel(Window,
                 "Kennwortfelder erkennt Zolvik32 nur, wenn Windows sie kennt (Eingabefelder mit verdeckter "
                 "Eingabe). Browser und Programme mit eigenen Feldern kann es nicht unterscheiden.",
                 6, 184, 340, 24);
    }

    void Show() override {
        HWND list = GetDlgItem(Window, ListId);
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        for (const auto& program : Config.Programs.Programs()) {
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(program->Name().c_str()));
        }
        Select(0);
        CheckDlgButton(Window, SpareId, Config.Programs.SparePasswordFields() ? BST_CHECKED : BST_UNCHECKED);
    }

    void Command(int id, int code, HWND control) override {
        if (id == ListId && code == LBN_SELCHANGE) ShowFeatures();
        if (code != BN_CLICKED) return;
        if (id == AddId) OfferPrograms(control);
        if (id == PickId) StartPicking();
        if (id == RemoveId) RemoveSelected();
        if (id == SpareId) Config.Programs.SetSparePasswordFields(IsDlgButtonChecked(Window, id) == BST_CHECKED);
        if (id >= FirstFeatureId && id < FirstFeatureId + 4) StoreFeatures();
    }

    void OwnMessage(UINT message, WPARAM, LPARAM) override {
        if (message != PickMessage) return;
        HWND front = GetForegroundWindow();
        DWORD processId = 0;
        GetWindowThreadProcessId(front, &processId);
        std::string name = processId == GetCurrentProcessId() ? std::string() : ProgramOfWindow(front);
        SetItemText(Window, StatusId, name.empty() ? "Kein Fenster eines anderen Programms war vorn."
                                                   : "Hinzugef\xFCgt: " + name + " (" + WindowText(front) + ")");
        if (!name.empty()) Added(Config.Programs.Add(name));
    }

private:
    TSlot* Selected() const {
        auto index = SendDlgItemMessageA(Window, ListId, LB_GETCURSEL, 0, 0);
        const auto& programs = Config.Programs.Programs();
        return index >= 0 && static_cast<std::size_t>(index) < programs.size() ? programs[index].get() : nullptr;
    }

    void Select(std::size_t index) {
        SendDlgItemMessageA(Window, ListId, LB_SETCURSEL, index, 0);
        ShowFeatures();
    }

    void ShowFeatures() {
        TSlot* program = Selected();
        std::uint8_t leftAlone = program ? TProgramPage::LeftAlone(*program) : AllProgramFeatures;
        for (int i = 0; i < 4; ++i) {
            HWND box = GetDlgItem(Window, FirstFeatureId + i);
            EnableWindow(box, program != nullptr);
            bool on = program && !(leftAlone & ProgramFeatureWords[i].Feature);
            SendMessageA(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        EnableWindow(GetDlgItem(Window, RemoveId), program != nullptr);
    }

    void StoreFeatures() {
        TSlot* program = Selected();
        if (!program) return;
        std::uint8_t leftAlone = 0;
        for (int i = 0; i < 4; ++i) {
            if (IsDlgButtonChecked(Window, FirstFeatureId + i) != BST_CHECKED) leftAlone |= ProgramFeatureWords[i].Feature;
        }
        TProgramPage::SetLeftAlone(*program, leftAlone);
    }

    void Added(const TSlot* program) {
        ShowQuietly();
        const auto& programs = Config.Programs.Programs();
        for (std::size_t i = 0; i < programs.size(); ++i) {
            if (programs[i].get() == program) Select(i);
        }
    }

    // The programs with windows open now, the presets, and a file to browse
    // for, in one menu below the button.
    void OfferPrograms(HWND button) {
        HMENU menu = CreatePopupMenu();
        std::vector<std::pair<std::string, std::string>> running = RunningPrograms();
        for (std::size_t i = 0; i < running.size(); ++i) {
            std::string item = running[i].first + "\t" + running[i].second;
            AppendMenuA(menu, MF_STRING, FirstRunningCommand + i, item.c_str());
        }
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        for (std::size_t i = 0; i < std::size(ProgramPresets); ++i) {
            const TProgramPreset& preset = ProgramPresets[i];
            std::string item = std::string(preset.Name) + " (" + preset.Programs[0];
            for (std::size_t p = 1; p < std::size(preset.Programs) && preset.Programs[p]; ++p) {
                item += std::string(", ") + preset.Programs[p];
            }
            AppendMenuA(menu, MF_STRING, FirstPresetCommand + i, (item + ")").c_str());
        }
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, BrowseCommand, "&Durchsuchen...");
        RECT place;
        GetWindowRect(button, &place);
        UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, place.left, place.bottom, 0,
                                     Window, nullptr);
        DestroyMenu(menu);
        if (chosen == BrowseCommand) {
            std::string path = AskOpenFile(Window, "Programme (*.exe)\0*.exe\0Alle Dateien\0*.*\0", "Programm hinzuf\xFCgen");
            if (!path.empty()) Added(Config.Programs.Add(path));
        } else if (chosen >= FirstPresetCommand && chosen < FirstPresetCommand + std::size(ProgramPresets)) {
            Config.Programs.AddPreset(ProgramPresets[chosen - FirstPresetCommand]);
            Added(Config.Programs.Add(ProgramPresets[chosen - FirstPresetCommand].Programs[0]));
        } else if (chosen >= FirstRunningCommand && chosen < FirstRunningCommand + running.size()) {
            Added(Config.Programs.Add(running[chosen - FirstRunningCommand].first));
        }
    }

    void StartPicking() {
        SetItemText(Window, StatusId, "Holen Sie jetzt das Fenster des Programms nach vorn: in 3 Sekunden wird es genommen.");
        SetTimer(Window, PickTimer, PickDelay, PickTimerDue);
    }

    void RemoveSelected() {
        TSlot* program = Selected();
        if (!program) return;
        auto index = SendDlgItemMessageA(Window, ListId, LB_GETCURSEL, 0, 0);
        Config.Programs.Remove(*program);
        ShowQuietly();
        Select(static_cast<std::size_t>(index > 0 ? index - 1 : 0));
    }
};

}  // namespace

std::unique_ptr<TPage> MakeProgramPage(TSetupConfig& config, TPageHost& host) {
    return std::make_unique<TProgramPageUi>(config, host);
}
