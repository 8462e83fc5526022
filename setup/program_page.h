#pragma once
// The page "Programme": the programs in which the system leaves features
// alone, each with what stays on there, and the setting that spares
// password fields everywhere.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "setup/value_slot.h"

// Programs to add with one click, each only when the user asks for it.
struct TProgramPreset {
    const char* Name;  // code page 1252
    const char* Programs[4];  // the first ones, the rest null
};
inline constexpr TProgramPreset ProgramPresets[] = {
    {"Remotedesktop", {"mstsc.exe", "msrdc.exe"}},
    {"Virtuelle Maschinen", {"vmconnect.exe", "VirtualBoxVM.exe", "vmware-vmx.exe", "vmware.exe"}},
    {"Citrix", {"wfica32.exe", "CDViewer.exe"}},
};

class TProgramPage {
public:
    TProgramPage();

    void Load(const TRegAccess& registry);

    // By file name, without regard to case.
    const std::vector<std::unique_ptr<TSlot>>& Programs() const { return programs_; }
    // A program by its file name or the path of its file. A new one has
    // everything left alone; one in the list already stays as it is. The
    // program's entry; none for a path without a file name.
    TSlot* Add(const std::string& pathOrName);
    void AddPreset(const TProgramPreset& preset);
    void Remove(const TSlot& program);

    // The features left alone in a program: those its text names, all of
    // them for a value that is no text, as the library reads it.
    static std::uint8_t LeftAlone(const TSlot& program);
    static void SetLeftAlone(TSlot& program, std::uint8_t features);

    bool SparePasswordFields() const;
    void SetSparePasswordFields(bool on);

    std::vector<TSlot*> Slots();

private:
    using TSlots = std::vector<std::unique_ptr<TSlot>>;
    // Into the list at its place by name.
    TSlot& Insert(std::unique_ptr<TSlot> program);

    TSlots programs_;
    // Removed programs, deleted when the page is saved.
    TSlots removed_;
    TSlot sparePasswords_;
};
