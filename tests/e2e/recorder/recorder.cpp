// A program for the end-to-end tests to start: it appends its command line
// to the file ZOLVIK_RECORDER_LOG names, then ends. A Windows program
// without a console, so that starting it opens no window that takes the
// keyboard focus from the probe.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* path = std::getenv("ZOLVIK_RECORDER_LOG");
    FILE* log = path ? std::fopen(path, "a") : nullptr;
    if (!log) return 2;
    std::fprintf(log, "STARTED %s\n", GetCommandLineA());
    std::fclose(log);
    return 0;
}
