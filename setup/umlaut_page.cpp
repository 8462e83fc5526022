#include "setup/umlaut_page.h"

#include <algorithm>

#include "common/cp1252.h"
#include "common/key_flags.h"
#include "common/registry_paths.h"
#include "macro/value_name.h"
#include "setup/key_combo.h"

namespace {

constexpr std::uint8_t UmlautKeys[UmlautKeyCount] = {0xDE, 0xC0, 0xBA, 0xDB};
constexpr const char* UmlautKeyNames[UmlautKeyCount] = {"\xC4", "\xD6", "\xDC", "\xDF"};
constexpr std::uint8_t Variants[UmlautVariantCount] = {0x00, 0x01, 0x10, 0x11};

// The usual replacements by table, key and variant. Shift and Caps Lock
// give capitals; with both the keys type small letters again. The sharp s
// has no capital: with Shift or Caps Lock alone its key types "?".
constexpr const char* UsualTables[2][UmlautKeyCount][UmlautVariantCount] = {
    {{"ae", "Ae", "AE", "ae"}, {"oe", "Oe", "OE", "oe"}, {"ue", "Ue", "UE", "ue"},
     {"ss", nullptr, nullptr, "SS"}},
    {{"&auml;", "&Auml;", "&Auml;", "&auml;"}, {"&ouml;", "&Ouml;", "&Ouml;", "&ouml;"},
     {"&uuml;", "&Uuml;", "&Uuml;", "&uuml;"}, {"&szlig;", nullptr, nullptr, "&szlig;"}},
};

const char* TableKey(int table) { return table == 0 ? AsciiUmlautKey : HtmlUmlautKey; }

int Index(int table, int key, int variant) {
    return (table * UmlautKeyCount + key) * UmlautVariantCount + variant;
}

}  // namespace

TUmlautCell UmlautCell(int key, int variant) { return {UmlautKeys[key], Variants[variant]}; }

std::string UmlautCellLabel(int key, int variant) {
    static const char* const prefixes[UmlautVariantCount] = {
        "", "Umschalt+", "Feststelltaste+", "Umschalt+Feststelltaste+"};
    return std::string(prefixes[variant]) + UmlautKeyNames[key];
}

TUmlautPage::TUmlautPage() {
    for (int table = 0; table < 2; ++table) {
        for (int key = 0; key < UmlautKeyCount; ++key) {
            for (int variant = 0; variant < UmlautVariantCount; ++variant) {
                TUmlautCell cell = UmlautCell(key, variant);
                TKeyFlags flags{cell.Modifiers};
                cells_.emplace_back(TableKey(table), MacroValueName(cell.VirtualKey, flags),
                                    TSlotKind::Text);
            }
        }
    }
}

void TUmlautPage::Load(const TRegAccess& registry) {
    for (TSlot& cell : cells_) cell.Load(registry);
    others_.clear();
    for (int table = 0; table < 2; ++table) {
        std::vector<std::string> names = registry.ValueNames(TableKey(table));
        std::sort(names.begin(), names.end(),
                  [](const std::string& a, const std::string& b) { return UpperCase(a) < UpperCase(b); });
        for (const std::string& name : names) {
            bool usual = std::any_of(cells_.begin(), cells_.end(), [&](const TSlot& cell) {
                return cell.Path() == TableKey(table) && UpperCase(cell.Name()) == UpperCase(name);
            });
            if (usual) continue;
            others_.push_back({table, TSlot(TableKey(table), name, TSlotKind::Text)});
            others_.back().Slot.Load(registry);
        }
    }
}

std::string TUmlautPage::OtherLabel(const TOtherUmlautEntry& entry) {
    std::optional<TMacroKey> key = ParseValueName(entry.Slot.Name());
    std::string name = key ? ComboName(*key) : ShownName(entry.Slot.Name());
    return std::string(entry.Table == 0 ? "ASCII: " : "HTML: ") + name;
}

TSlot& TUmlautPage::Cell(int table, int key, int variant) {
    return cells_[static_cast<std::size_t>(Index(table, key, variant))];
}

void TUmlautPage::RestoreUsualTables() {
    for (int table = 0; table < 2; ++table) {
        for (int key = 0; key < UmlautKeyCount; ++key) {
            for (int variant = 0; variant < UmlautVariantCount; ++variant) {
                const char* usual = UsualTables[table][key][variant];
                TSlot& cell = Cell(table, key, variant);
                if (usual) {
                    cell.SetText(usual);
                } else if (cell.Exists() || !cell.Problem().empty()) {
                    cell.Remove();
                }
            }
        }
    }
}

std::vector<TSlot*> TUmlautPage::Slots() {
    std::vector<TSlot*> slots;
    for (TSlot& cell : cells_) slots.push_back(&cell);
    for (TOtherUmlautEntry& other : others_) slots.push_back(&other.Slot);
    return slots;
}
