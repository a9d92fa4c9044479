#pragma once
// Reading a module file without loading it: a sanity check of the headers the
// dynamic loader trusts, and the content of a named section. A module file is
// untrusted input: every header, count and offset is checked against the
// file's real size, and whatever does not add up reads as "no data".

#include "platform/WinTypes.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
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
    NoResources,  // a sound ELF file without the section asked for
};

// A file on disk (UTF-8 path), read with pread, never mapped, so a file that
// shrinks meanwhile cannot fault the process; FIFOs and devices are refused
// before anything is read from them (status() tells why).
class ElfFileSource final : public ElfSource {
public:
    explicit ElfFileSource(const std::string& path);
    ~ElfFileSource() override;
    ElfFileSource(const ElfFileSource&) = delete;
    ElfFileSource& operator=(const ElfFileSource&) = delete;

    ElfStatus status() const { return m_status; }
    std::uint64_t size() const override { return m_size; }
    bool read(std::uint64_t offset, void* buffer, size_t n) const override;

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
    ElfStatus m_status = ElfStatus::NotFound;
};

// The content of the section with that name (a PROGBITS section that lies
// inside the file), or NoResources when the file has none by that name.
ElfStatus ReadElfSection(const ElfSource& file, std::string_view name, std::vector<BYTE>& content);

// Whether the dynamic loader can map the file without touching bytes that are
// not there: a 64-bit little-endian shared object of this machine, whose
// program headers, loadable segments and section header table lie inside the
// file.
ElfStatus CheckLoadableElf(const ElfSource& file);
ElfStatus CheckLoadableElf(const std::string& path);

} // namespace zx
