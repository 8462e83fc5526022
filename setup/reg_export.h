#pragma once
// The whole configuration as a registry file, and registry files read back
// in through the registry file reader. An exported file imported into an
// empty registry gives the same values, byte for byte, and exports again
// to the same file.
#include <string>
#include <string_view>
#include <vector>

#include "setup/reg_access.h"

// The keys of the configuration below HKEY_CURRENT_USER: the system's key
// with all below it, the sound scheme of the application, and the display
// names of its events.
std::vector<std::string> ConfigurationKeys(const TRegAccess& registry);

// A "REGEDIT4" file in code page 1252: keys in order, values sorted by
// name; strings that a quoted text cannot hold exactly are written as
// hex(1):.
std::string ExportConfiguration(const TRegAccess& registry);

// Reads a file in either format and imports it. Empty on success,
// otherwise the reader's message naming the line.
std::string ImportConfiguration(win::RegistryApi& registry, const std::string& fileName,
                                std::string_view bytes);
