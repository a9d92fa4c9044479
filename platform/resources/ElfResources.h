#pragma once
// Reading a module file without loading it: the compiled resources that the
// build links into the `.zxres` section, and a sanity check of the headers the
// dynamic loader trusts. A module file is untrusted input: every header,
// count and offset is checked against the file's real size, and whatever does
// not add up reads as "no data".

#include "platform/WinTypes.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zx {

// The most bytes read for one section or header table, whatever the file says.
inline constexpr std::uint64_t kMaxElfReadSize = 64u << 20;

// Random access to the bytes of a file (or of a copy in memory).
class ElfSource {
public:
    virtual ~ElfSource() = default;
    virtual std::uint64_t size() const = 0;
    // Reads exactly n bytes at offset; false when they are not all there.
    virtual bool read(std::uint64_t offset, void* buffer, size_t n) const = 0;
};

class ElfMemorySource final : public ElfSource {
public:
    explicit ElfMemorySource(std::span<const BYTE> bytes) : m_bytes(bytes) {}
    std::uint64_t size() const override { return m_bytes.size(); }
    bool read(std::uint64_t offset, void* buffer, size_t n) const override;

private:
    std::span<const BYTE> m_bytes;
};

enum class ElfStatus {
    Ok,
    NotFound,     // no such file
    AccessDenied, // exists but cannot be opened
    NotRegular,   // a directory, device, pipe...
    NotElf,       // no ELF header, or a class, byte order or machine we cannot load
    Damaged,      // an ELF file whose headers point outside the file
    NoResources,  // a sound ELF file without a resource section
};

// The `.zxres` section's content: an 8-byte little-endian size followed by
// that many bytes of .res image. Returns the whole section (blob).
ElfStatus ReadElfResourceBlob(const ElfSource& file, std::vector<BYTE>& blob);

// Whether the dynamic loader can map the file without touching bytes that are
// not there: a 64-bit little-endian shared object of this machine, whose
// program headers, loadable segments and section header table lie inside the
// file.
ElfStatus CheckLoadableElf(const ElfSource& file);

// The same, for files on disk (UTF-8 paths). Files are read with pread, never
// mapped, so a file that shrinks meanwhile cannot fault the process; FIFOs
// and devices are refused before anything is read from them.
ElfStatus ReadElfResourceBlob(const std::string& path, std::vector<BYTE>& blob);
ElfStatus CheckLoadableElf(const std::string& path);

// The .res image of a module file, or nothing when it has none or the file
// is not a sound ELF file.
std::optional<std::vector<BYTE>> ReadElfResources(const std::string& path);

} // namespace zx
