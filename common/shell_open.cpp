#include "common/shell_open.h"

#include "platform/win_constants.h"

namespace {

bool Started(win::Instance result) { return static_cast<std::uint32_t>(result) > 32; }

}  // namespace

bool ShellOpen(win::Platform& platform, const std::wstring& path) {
    return Started(platform.shell.ShellExecuteW(platform.windows.GetFocus(), L"open", path.c_str(),
                                                nullptr, nullptr, win::SW_SHOWNORMAL));
}
