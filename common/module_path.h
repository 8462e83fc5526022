#pragma once
#include <string>

#include "platform/platform.h"

// The full path of a module as the system reports it. The platform leaves a
// path it had to cut without its NUL, so the buffer keeps one character
// spare. The ANSI path has "?" for each character the code page lacks; the
// wide one names the file whatever its folder is called.
std::string ModulePath(win::SystemApi& system, win::Instance module);
std::wstring WideModulePath(win::SystemApi& system, win::Instance module);

// The file name of a process's program ("mstsc.exe"), from the pseudo
// handle of the current process or a handle opened with at least
// PROCESS_QUERY_LIMITED_INFORMATION; empty when Windows does not tell it.
std::string ProgramFileOf(win::SystemApi& system, win::Handle process);

// The part of a path after its last backslash.
std::string FileNamePart(const std::string& path);
// The part of a path up to and with its last backslash.
std::string DirectoryPart(const std::string& path);
std::wstring DirectoryPart(const std::wstring& path);
