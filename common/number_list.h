#pragma once
#include <cstdint>
#include <string_view>

// The PC-speaker tones of one sound event. A field the registry value does
// not supply keeps the value it had before parsing; starting from this
// initialisation that is 0 (no frequency, no length, no tones, no pause).
struct TToneSpec {
    std::int32_t Frequency = 0;  // Hz; the speaker takes its low 16 bits
    std::int32_t Duration = 0;   // ms, of each tone
    std::int32_t Count = 0;      // tones; 0 or less plays nothing
    std::int32_t Pause = 0;      // ms, between two tones

    bool operator==(const TToneSpec&) const = default;
};

// Splits a comma-separated text into the tone's fields, in the order
// Frequency, Duration, Count, Pause. Items after the fourth are ignored and
// fields without an item are left alone. An item that is not a number
// gives 0: one blank-led decimal number with an optional sign, or a
// hexadecimal one after "$", "x", "X", "0x" or "0X", ending right after its
// digits and fitting 32 bits. A comma at the very end of the text ends the
// list; it does not start another item.
void ParseNumberList(std::string_view text, TToneSpec& spec);
