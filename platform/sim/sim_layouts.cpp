#include "platform/sim/sim_layouts.h"

namespace sim {

std::int16_t LayoutVkKeyScan(KeyboardLayout, char) { return -1; }

std::uint32_t LayoutMapVirtualKey(KeyboardLayout, std::uint32_t, std::uint32_t) { return 0; }

CharacterTranslator::CharacterTranslator(KeyboardLayout layout) : layout_(layout) {}

std::string CharacterTranslator::KeyDown(std::uint8_t, std::uint32_t, const std::uint8_t*) {
    return std::string();
}

std::string CharacterTranslator::KeyUp(std::uint8_t, std::uint32_t, const std::uint8_t*) {
    return std::string();
}

}  // namespace sim
