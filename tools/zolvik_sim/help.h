#pragma once
#include <optional>
#include <string>
#include <string_view>

// The help of one subcommand, of "keys" or "script"; all of it for an empty
// topic; nothing for an unknown one.
std::optional<std::string> HelpText(std::string_view topic);
