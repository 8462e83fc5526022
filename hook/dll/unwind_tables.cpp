// GCC's start-up code for a DLL registers the DLL's DWARF unwind tables
// with libgcc_s_dw2-1.dll when the process has loaded it already (a program
// built with MinGW and the shared runtime), and with the DLL's own,
// statically linked unwinder otherwise. The library throws and catches
// within itself (a registry value of the wrong type, say); its own unwinder,
// finding no tables, would end the host program in std::terminate. So the
// library registers the same tables with its own unwinder as well. The
// other order needs nothing: the start-up code deregisters with the
// unwinder it registered with, even when the shared runtime came later.
#include "hook/dll/unwind_tables.h"

#include <windows.h>

#include <cstring>

extern "C" void __register_frame_info(const void* begin, void* object);
extern "C" void* __deregister_frame_info(const void* begin);

namespace {

// The name the start-up code looks for.
constexpr const char* SharedRuntime = "libgcc_s_dw2-1.dll";
// The unwinder's record of the tables: six words in GCC 12, room to spare.
void* TablesRecord[16];
const void* RegisteredTables = nullptr;

// What the linker made of the objects' .eh_frame sections, ending in the
// zero word of GCC's closing object; the image keeps eight characters of
// a section name.
const void* UnwindTablesOf(HMODULE module) {
    auto base = reinterpret_cast<const unsigned char*>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(headers);
    for (WORD i = 0; i < headers->FileHeader.NumberOfSections; ++i, ++section) {
        if (std::memcmp(section->Name, ".eh_fram", 8) == 0) return base + section->VirtualAddress;
    }
    return nullptr;
}

}  // namespace

void KeepUnwindTablesOwn(win::Instance library) {
    if (!GetModuleHandleA(SharedRuntime)) return;
    RegisteredTables = UnwindTablesOf(reinterpret_cast<HMODULE>(library));
    if (RegisteredTables) __register_frame_info(RegisteredTables, TablesRecord);
}

void ReleaseUnwindTables() {
    if (RegisteredTables) __deregister_frame_info(RegisteredTables);
    RegisteredTables = nullptr;
}
