#pragma once
// The compiled resources that the build links into a module file's `.zxres`
// section, read without loading the module (see platform/ElfFile.h).

#include "platform/ElfFile.h"
#include "platform/WinTypes.h"

#include <optional>
#include <string>
#include <vector>

namespace zx {

// The `.zxres` section's content: an 8-byte little-endian size followed by
// that many bytes of .res image. Returns the whole section (blob); a section
// whose image does not fit it is Damaged.
ElfStatus ReadElfResourceBlob(const ElfSource& file, std::vector<BYTE>& blob);
ElfStatus ReadElfResourceBlob(const std::string& path, std::vector<BYTE>& blob);

// The .res image of a module file, or nothing when it has none or the file
// is not a sound ELF file.
std::optional<std::vector<BYTE>> ReadElfResources(const std::string& path);

} // namespace zx
