#include "tray/tray_icon.h"

#include <cstring>

#include "common/control_messages.h"
#include "platform/win_constants.h"

using namespace win;

TTrayIcon::TTrayIcon(Platform& platform, IconHandle icon, Window window, WindowProc windowProc)
    : Wnd(window), Icon(icon), WndProc(windowProc), Api(platform) {
    SetTip("");
}

TTrayIcon::~TTrayIcon() { Hide(); }

void TTrayIcon::FillIconData() {
    IconData = NotifyIconData{};
    IconData.cbSize = sizeof(NotifyIconData);
    IconData.hWnd = static_cast<std::uint32_t>(Wnd);
    IconData.uID = 0;
    IconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    IconData.uCallbackMessage = UM_TRAYICON;
    IconData.hIcon = static_cast<std::uint32_t>(Icon);
    std::memcpy(IconData.szTip, Tip.data(), Tip.size());
}

bool TTrayIcon::Notify(std::uint32_t message) {
    FillIconData();
    bool done = Api.shell.Shell_NotifyIconA(message, &IconData);
    if (!done) Api.windows.MessageBeep(MB_SIMPLE_BEEP);
    return done;
}

void TTrayIcon::Show() {
    if (!Shown && Notify(NIM_ADD)) Shown = true;
}

void TTrayIcon::Hide() {
    if (Shown && Notify(NIM_DELETE)) Shown = false;
}

void TTrayIcon::SetTip(const std::string& text) {
    Tip = text.substr(0, sizeof IconData.szTip - 1);
    if (Shown) Notify(NIM_MODIFY);
}
