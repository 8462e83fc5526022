#include "platform/sim/sim_shell.h"

#include <algorithm>

#include "common/cp1252.h"
#include "platform/win_constants.h"

namespace sim {

using namespace win;

// Like the shell: adding an icon that is there, or changing or deleting one
// that is not, fails.
bool SimShell::Shell_NotifyIconA(std::uint32_t message, NotifyIconData* data) {
    notifyCalls_.push_back({message, *data});
    if (notifyFails_ || data->cbSize != sizeof(NotifyIconData)) return false;
    switch (message) {
        case NIM_ADD:
            if (iconInTray_) return false;
            iconInTray_ = true;
            return true;
        case NIM_MODIFY:
            return iconInTray_;
        case NIM_DELETE:
            if (!iconInTray_) return false;
            iconInTray_ = false;
            return true;
        default:
            return false;
    }
}

void SimShell::AddFile(const std::string& path) { files_.push_back(Cp1252ToWide(path)); }

Instance SimShell::ShellExecuteW(Window owner, const wchar_t* verb, const wchar_t* file,
                                 const wchar_t* parameters, const wchar_t* directory, int show) {
    std::wstring path = file ? file : L"";
    executed_.push_back({owner, WideToCp1252(verb ? verb : L""), WideToCp1252(path), parameters != nullptr,
                         directory != nullptr, show, path});
    bool known = std::find(files_.begin(), files_.end(), path) != files_.end();
    return known ? Instance(42) : Instance(ERROR_FILE_NOT_FOUND);
}

}  // namespace sim
