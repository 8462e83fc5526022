#pragma once
// The page "Umlaute": the two conversion tables, each key's replacement for
// the key alone, with Shift, with Caps Lock and with both, the usual tables
// to restore, and every other value of the tables, to change or remove.
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

// A value of a table that is none of the usual cells.
struct TOtherUmlautEntry {
    int Table;  // 0 ASCII, 1 HTML
    TSlot Slot;
};

class TUmlautPage {
public:
    TUmlautPage();

    void Load(const TRegAccess& registry);
    // table 0 is ASCII, 1 HTML.
    TSlot& Cell(int table, int key, int variant);
    void RestoreUsualTables();
    // The other values, by table and name.
    std::vector<TOtherUmlautEntry>& Others() { return others_; }
    // "ASCII: Umschalt+Feststelltaste+#"; a name that is no key
    // combination as it is.
    static std::string OtherLabel(const TOtherUmlautEntry& entry);

    std::vector<TSlot*> Slots();

private:
    std::vector<TSlot> cells_;
    std::vector<TOtherUmlautEntry> others_;
};
