#include "hook/key_rules.h"

// No rule acts yet: every key goes on to the application.
std::uint8_t ApplyKeyRules(THookProcess&, const TKeyEvent&) { return 0; }
