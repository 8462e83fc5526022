#pragma once
// The page "Umlaute": the two conversion tables, each key's replacement for
// the key alone, with Shift, with Caps Lock and with both, and the usual
// tables to restore. Other entries of the tables are kept as they are.
#include <array>
#include <string>
#include <vector>

#include "setup/value_slot.h"

inline constexpr int UmlautKeyCount = 4;      // Ä Ö Ü ß
inline constexpr int UmlautVariantCount = 4;  // alone, Shift, Caps Lock, both

struct TUmlautCell {
    std::uint8_t VirtualKey;
    std::uint8_t Modifiers;  // the modifier byte of the value name
};

// The cell of a row (key) and a column (variant), and its label
// ("Umschalt+Ä").
TUmlautCell UmlautCell(int key, int variant);
std::string UmlautCellLabel(int key, int variant);

class TUmlautPage {
public:
    TUmlautPage();

    void Load(const TRegAccess& registry);
    // table 0 is ASCII, 1 HTML.
    TSlot& Cell(int table, int key, int variant);
    void RestoreUsualTables();

    std::vector<TSlot*> Slots();

private:
    std::vector<TSlot> cells_;
};
