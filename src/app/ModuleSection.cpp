#include "app/ModuleSection.h"

#include <windows.h>

namespace runtime {

ModuleSection ReadOnlySectionHolding(const void* address) {
    MEMORY_BASIC_INFORMATION memory = {};
    if (!address || !VirtualQuery(address, &memory, sizeof memory) || memory.Type != MEM_IMAGE) return {};
    const auto* base = static_cast<const std::uint8_t*>(memory.AllocationBase);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return {};
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (headers->Signature != IMAGE_NT_SIGNATURE) return {};

    const auto* byte = static_cast<const std::uint8_t*>(address);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(headers);
    for (WORD i = 0; i < headers->FileHeader.NumberOfSections; ++i, ++section) {
        const std::uint8_t* start = base + section->VirtualAddress;
        const DWORD size = section->Misc.VirtualSize != 0 ? section->Misc.VirtualSize : section->SizeOfRawData;
        if (byte < start || byte >= start + size) continue;
        if (section->Characteristics & IMAGE_SCN_MEM_WRITE) return {};
        return {start, start + size};
    }
    return {};
}

} // namespace runtime
