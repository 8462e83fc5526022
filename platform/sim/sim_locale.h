#pragma once
#include <cstdint>

namespace sim {

inline constexpr std::uint32_t LocaleGerman = 0x0407;   // de-DE
inline constexpr std::uint32_t LocaleUS = 0x0409;       // en-US

// GetLocaleInfoA over the simulated locales, with the values Windows 10 gives
// in code page 1252: the text and its NUL copied into the buffer and their
// count returned; the count needed when size is 0; 0 for an unknown locale or
// value, a negative size, or a missing buffer. A buffer that is too small gets
// the part of the text that fits, without a NUL, and the result is 0.
int LocaleInfo(std::uint32_t locale, std::uint32_t type, char* buffer, int size);

}  // namespace sim
