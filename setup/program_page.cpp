#include "setup/program_page.h"

#include "common/cp1252.h"
#include "common/module_path.h"
#include "common/option_names.h"
#include "common/registry_paths.h"
#include "settings/program_rules.h"

namespace {

// The index of a program by its name without regard to case; the size
// when it is not there.
template <typename Slots>
std::size_t Find(const Slots& slots, const std::string& name) {
    std::size_t index = 0;
    while (index < slots.size() && UpperCase(slots[index]->Name()) != UpperCase(name)) ++index;
    return index;
}

}  // namespace

TProgramPage::TProgramPage() : sparePasswords_(SettingsKeyPath, OptionValueName(opSparePasswordFields), TSlotKind::Flag) {}

void TProgramPage::Load(const TRegAccess& registry) {
    programs_.clear();
    removed_.clear();
    for (const std::string& name : registry.ValueNames(ProgramsKeyPath)) {
        Insert(std::make_unique<TSlot>(ProgramsKeyPath, name, TSlotKind::Text)).Load(registry);
    }
    sparePasswords_.Load(registry);
}

TSlot& TProgramPage::Insert(std::unique_ptr<TSlot> program) {
    std::string key = UpperCase(program->Name());
    std::size_t index = 0;
    while (index < programs_.size() && UpperCase(programs_[index]->Name()) < key) ++index;
    return **programs_.insert(programs_.begin() + static_cast<std::ptrdiff_t>(index), std::move(program));
}

TSlot* TProgramPage::Add(const std::string& pathOrName) {
    std::string name = FileNamePart(pathOrName);
    if (name.empty()) return nullptr;
    std::size_t listed = Find(programs_, name);
    if (listed < programs_.size()) return programs_[listed].get();
    std::size_t removed = Find(removed_, name);
    std::unique_ptr<TSlot> program;
    if (removed < removed_.size()) {
        program = std::move(removed_[removed]);
        removed_.erase(removed_.begin() + static_cast<std::ptrdiff_t>(removed));
    } else {
        program = std::make_unique<TSlot>(ProgramsKeyPath, name, TSlotKind::Text);
    }
    TSlot& added = Insert(std::move(program));
    SetLeftAlone(added, AllProgramFeatures);
    return &added;
}

void TProgramPage::AddPreset(const TProgramPreset& preset) {
    for (const char* program : preset.Programs) {
        if (program) Add(program);
    }
}

void TProgramPage::Remove(const TSlot& program) {
    std::size_t index = Find(programs_, program.Name());
    if (index == programs_.size()) return;
    programs_[index]->Remove();
    removed_.push_back(std::move(programs_[index]));
    programs_.erase(programs_.begin() + static_cast<std::ptrdiff_t>(index));
}

std::uint8_t TProgramPage::LeftAlone(const TSlot& program) {
    return program.HasValue() ? FeaturesLeftAlone(program.Text()) : AllProgramFeatures;
}

void TProgramPage::SetLeftAlone(TSlot& program, std::uint8_t features) {
    if (program.HasValue() && LeftAlone(program) == features) return;
    program.SetText(LeftAloneText(features));
}

// A missing value spares them, as the library reads it.
bool TProgramPage::SparePasswordFields() const {
    return sparePasswords_.HasValue() ? sparePasswords_.IsOn() : OptionDefault(opSparePasswordFields) != 0;
}

// Off is written as 00: a missing value would read as on.
void TProgramPage::SetSparePasswordFields(bool on) {
    if (on != SparePasswordFields()) sparePasswords_.SetByte(on ? 1 : 0);
}

std::vector<TSlot*> TProgramPage::Slots() {
    std::vector<TSlot*> slots;
    for (auto& slot : removed_) slots.push_back(slot.get());
    for (auto& slot : programs_) slots.push_back(slot.get());
    slots.push_back(&sparePasswords_);
    return slots;
}
