#pragma once
// How zolvik-sim shows what the system did. Code page 1252 texts are shown
// in UTF-8.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/sim/sim_registry.h"
#include "tools/zolvik_sim/session.h"

// In double quotes; backslash, quote, tab, CR and LF escaped as in C, other
// control bytes as \xNN.
std::string QuoteText(std::string_view text);
// The same for a wide text: characters outside code page 1252 in UTF-8 as well.
std::string QuoteText(std::wstring_view text);
// Printable ASCII as it is (a backslash doubled), every other byte as \xNN.
std::string ShowBytes(std::string_view bytes);
// As a .reg file writes the data: "text", dword:0000002A, hex:01,02,
// hex(N):...; "(none)" for a missing value.
std::string ShowValue(const std::optional<sim::RegistryValue>& value);
// "press VK_SHIFT", "release VK_MENU extended"
std::string ShowKeyEvent(std::string_view action, std::uint8_t virtualKey, bool extended);

// Everything a run of the session shows, one item a line: key events
// (with events), the text received, sounds, posted messages, opened
// documents, beeps, registry changes, and the lock keys' states at the end.
std::string RunReport(const TSession& session, bool events);
