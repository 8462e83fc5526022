// snapshot.exe WINDOW-TITLE FILE.bmp: the window as it shows on the screen,
// as a 24-bit BMP file. For the pictures of the user guide: the X server
// here has no screenshot tool, and Wine draws its windows itself.
// snapshot.exe foreground: the title of Windows' foreground window. Without
// a window manager Wine cannot move the X input focus to a window it
// brings to the front, so the tests ask Windows instead.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "foreground") {
        char title[256] = {};
        GetWindowTextA(GetForegroundWindow(), title, sizeof title);
        std::printf("%s\n", title);
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: snapshot WINDOW-TITLE FILE.bmp\n");
        return 2;
    }
    HWND window = FindWindowA(nullptr, argv[1]);
    if (!window) {
        std::fprintf(stderr, "no window titled '%s'\n", argv[1]);
        return 1;
    }
    RECT box;
    GetWindowRect(window, &box);
    int width = box.right - box.left;
    int height = box.bottom - box.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, box.left, box.top, SRCCOPY);
    GdiFlush();
    int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * height);
    FILE* out = std::fopen(argv[2], "wb");
    if (!out) return 1;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
    std::fwrite(bits, static_cast<std::size_t>(stride), static_cast<std::size_t>(height), out);
    std::fclose(out);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return 0;
}
