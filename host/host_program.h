#pragma once
#include <cstdint>
#include <string>

#include "platform/platform.h"

// The 64-bit host: a windowless process that the 32-bit tray program starts
// on a 64-bit Windows, so that the 64-bit hook library reaches 64-bit
// applications. It installs that library's hook, keeps the message loop a
// global hook needs, and ends, unhooking, when the tray program ends or asks
// it to (WM_QUIT to its thread).
//
// Command line: the tray program's process handle and an event, both
// inherited, in decimal. The host signals the event once its hook is in
// place, so the tray program knows it started.

// Exit codes of Zolvik64.exe.
inline constexpr int HostExitNormal = 0;
inline constexpr int HostExitNoHook = 2;
inline constexpr int HostExitNoLibrary = 3;
inline constexpr int HostExitBadArguments = 4;
inline constexpr int HostExitAlreadyRunning = 103;

// The name of the host's program file, beside the tray program's.
inline constexpr const char* HostProgram = "Zolvik64.exe";
// Held by the running host; a second host never runs beside it.
inline constexpr const char* HostMutexName = "Zolvik64";
// How long a new host waits for the host of a tray program that just ended.
inline constexpr std::uint32_t HostMutexWait = 5000;

struct HostArguments {
    win::Handle tray = 0;
    win::Handle ready = 0;
};

// False unless the command line holds exactly the two handles.
bool ParseHostArguments(const std::string& commandLine, HostArguments& arguments);

// The 64-bit hook library beside the host, and its Install export.
inline constexpr const char* HostLibrary = "Zolhook64.dll";
inline constexpr std::uint16_t InstallOrdinal = 10;
using InstallFunction = win::HookHandle(ZV_STDCALL*)(std::uint8_t);

int RunHost(win::Platform& platform, win::Instance module, const std::string& commandLine);
