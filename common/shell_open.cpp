#include "common/shell_open.h"

#include "platform/win_constants.h"

bool ShellOpen(win::Platform& platform, const std::string& path) {
    win::Instance result = platform.shell.ShellExecuteA(platform.windows.GetFocus(), "open",
                                                        path.c_str(), nullptr, nullptr,
                                                        win::SW_SHOWNORMAL);
    return static_cast<std::uint32_t>(result) > 32;
}
