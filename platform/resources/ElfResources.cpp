#include "platform/ElfResources.h"

#include "platform/ResImage.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zx {

// The headers are read in place as the host's structures.
static_assert(std::endian::native == std::endian::little);

namespace {

constexpr char kResourceSection[] = ".zxres";
// More sections than any linker writes; keeps the header table small.
constexpr std::uint64_t kMaxSections = 1u << 16;

#if defined(__x86_64__)
constexpr Elf64_Half kMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr Elf64_Half kMachine = EM_AARCH64;
#else
#error "Set the ELF machine of this architecture"
#endif

// [offset, offset + size) lies inside a file of fileSize bytes.
bool inside(std::uint64_t offset, std::uint64_t size, std::uint64_t fileSize) {
    return offset <= fileSize && size <= fileSize - offset;
}

bool readHeader(const ElfSource& file, Elf64_Ehdr& eh) {
    if (file.size() < sizeof(Elf64_Ehdr) || !file.read(0, &eh, sizeof eh))
        return false;
    return std::memcmp(eh.e_ident, ELFMAG, SELFMAG) == 0 && eh.e_ident[EI_CLASS] == ELFCLASS64 &&
           eh.e_ident[EI_DATA] == ELFDATA2LSB && eh.e_ident[EI_VERSION] == EV_CURRENT &&
           eh.e_ehsize >= sizeof(Elf64_Ehdr);
}

bool readSection(const ElfSource& file, const Elf64_Ehdr& eh, std::uint64_t index, Elf64_Shdr& sh) {
    return file.read(eh.e_shoff + index * sizeof(Elf64_Shdr), &sh, sizeof sh);
}

// The section header table, with the extended numbering of files that have
// more than 0xff00 sections. Nothing when it does not lie inside the file.
bool sectionTable(const ElfSource& file, const Elf64_Ehdr& eh, std::uint64_t& count,
                  std::uint64_t& stringsIndex) {
    if (eh.e_shoff == 0 || eh.e_shentsize != sizeof(Elf64_Shdr))
        return false;
    if (!inside(eh.e_shoff, sizeof(Elf64_Shdr), file.size()))
        return false;
    Elf64_Shdr first{};
    if (!readSection(file, eh, 0, first))
        return false;
    count = eh.e_shnum != 0 ? eh.e_shnum : first.sh_size;
    stringsIndex = eh.e_shstrndx != SHN_XINDEX ? eh.e_shstrndx : first.sh_link;
    return count != 0 && count <= kMaxSections &&
           inside(eh.e_shoff, count * sizeof(Elf64_Shdr), file.size()) && stringsIndex < count;
}

bool readContent(const ElfSource& file, const Elf64_Shdr& sh, std::vector<BYTE>& out) {
    if (sh.sh_type == SHT_NOBITS || sh.sh_size > kMaxElfReadSize ||
        !inside(sh.sh_offset, sh.sh_size, file.size()))
        return false;
    out.resize(static_cast<size_t>(sh.sh_size));
    return out.empty() || file.read(sh.sh_offset, out.data(), out.size());
}

class FileSource final : public ElfSource {
public:
    explicit FileSource(const std::string& path) {
        // O_NONBLOCK: opening a FIFO must not wait for a writer.
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (m_fd < 0) {
            m_status =
                (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG || errno == ELOOP)
                    ? ElfStatus::NotFound
                    : ElfStatus::AccessDenied;
            return;
        }
        struct stat st {};
        if (::fstat(m_fd, &st) != 0) {
            m_status = ElfStatus::AccessDenied;
            return;
        }
        if (!S_ISREG(st.st_mode)) {
            m_status = ElfStatus::NotRegular;
            return;
        }
        m_size = static_cast<std::uint64_t>(st.st_size);
        m_status = ElfStatus::Ok;
    }
    ~FileSource() override {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    ElfStatus status() const { return m_status; }
    std::uint64_t size() const override { return m_size; }
    bool read(std::uint64_t offset, void* buffer, size_t n) const override {
        if (m_status != ElfStatus::Ok || !inside(offset, n, m_size))
            return false;
        auto* out = static_cast<char*>(buffer);
        while (n > 0) {
            const ssize_t got = ::pread(m_fd, out, n, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false; // an error, or the file shrank
            out += got;
            offset += static_cast<std::uint64_t>(got);
            n -= static_cast<size_t>(got);
        }
        return true;
    }

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
    ElfStatus m_status = ElfStatus::NotFound;
};

} // namespace

bool ElfMemorySource::read(std::uint64_t offset, void* buffer, size_t n) const {
    if (!inside(offset, n, m_bytes.size()))
        return false;
    if (n > 0)
        std::memcpy(buffer, m_bytes.data() + offset, n);
    return true;
}

ElfStatus ReadElfResourceBlob(const ElfSource& file, std::vector<BYTE>& blob) {
    blob.clear();
    Elf64_Ehdr eh{};
    if (!readHeader(file, eh))
        return ElfStatus::NotElf;
    if (eh.e_shoff == 0 && eh.e_shnum == 0)
        return ElfStatus::NoResources; // stripped of its section headers
    std::uint64_t count = 0;
    std::uint64_t stringsIndex = 0;
    if (!sectionTable(file, eh, count, stringsIndex))
        return ElfStatus::Damaged;
    Elf64_Shdr stringsHeader{};
    std::vector<BYTE> names;
    if (!readSection(file, eh, stringsIndex, stringsHeader) ||
        stringsHeader.sh_type != SHT_STRTAB || !readContent(file, stringsHeader, names))
        return ElfStatus::Damaged;

    for (std::uint64_t i = 1; i < count; ++i) {
        Elf64_Shdr sh{};
        if (!readSection(file, eh, i, sh))
            return ElfStatus::Damaged;
        if (sh.sh_name >= names.size() || names.size() - sh.sh_name < sizeof kResourceSection ||
            std::memcmp(names.data() + sh.sh_name, kResourceSection, sizeof kResourceSection) != 0)
            continue;
        if (sh.sh_type != SHT_PROGBITS || !readContent(file, sh, blob) ||
            !ResImage::imageInBlob(blob)) {
            blob.clear();
            return ElfStatus::Damaged;
        }
        return ElfStatus::Ok;
    }
    return ElfStatus::NoResources;
}

ElfStatus CheckLoadableElf(const ElfSource& file) {
    Elf64_Ehdr eh{};
    if (!readHeader(file, eh) || eh.e_type != ET_DYN || eh.e_machine != kMachine)
        return ElfStatus::NotElf;
    if (eh.e_phentsize != sizeof(Elf64_Phdr) || eh.e_phnum == 0 || eh.e_phnum == PN_XNUM ||
        !inside(eh.e_phoff, std::uint64_t{eh.e_phnum} * sizeof(Elf64_Phdr), file.size()))
        return ElfStatus::Damaged;
    // The loader does not read section headers, but a file whose table
    // lies past its end has been cut short: whatever else it lost, it is
    // not the module it claims to be.
    if (eh.e_shoff != 0 &&
        (eh.e_shentsize != sizeof(Elf64_Shdr) ||
         !inside(eh.e_shoff, std::uint64_t{eh.e_shnum} * sizeof(Elf64_Shdr), file.size())))
        return ElfStatus::Damaged;
    bool anyLoad = false;
    for (Elf64_Half i = 0; i < eh.e_phnum; ++i) {
        Elf64_Phdr ph{};
        if (!file.read(eh.e_phoff + std::uint64_t{i} * sizeof ph, &ph, sizeof ph))
            return ElfStatus::Damaged;
        const bool mapped = ph.p_type == PT_LOAD || ph.p_type == PT_DYNAMIC ||
                            ph.p_type == PT_INTERP || ph.p_type == PT_NOTE;
        if (!mapped)
            continue;
        // The loader maps these bytes and relocates into them: bytes past
        // the end of the file would fault the process, not fail the load.
        if (!inside(ph.p_offset, ph.p_filesz, file.size()) || ph.p_filesz > ph.p_memsz)
            return ElfStatus::Damaged;
        anyLoad = anyLoad || ph.p_type == PT_LOAD;
    }
    return anyLoad ? ElfStatus::Ok : ElfStatus::Damaged;
}

ElfStatus ReadElfResourceBlob(const std::string& path, std::vector<BYTE>& blob) {
    blob.clear();
    FileSource file(path);
    if (file.status() != ElfStatus::Ok)
        return file.status();
    return ReadElfResourceBlob(static_cast<const ElfSource&>(file), blob);
}

ElfStatus CheckLoadableElf(const std::string& path) {
    FileSource file(path);
    if (file.status() != ElfStatus::Ok)
        return file.status();
    return CheckLoadableElf(static_cast<const ElfSource&>(file));
}

std::optional<std::vector<BYTE>> ReadElfResources(const std::string& path) {
    std::vector<BYTE> blob;
    if (ReadElfResourceBlob(path, blob) != ElfStatus::Ok)
        return std::nullopt;
    const auto image = ResImage::imageInBlob(blob);
    if (!image)
        return std::nullopt;
    return std::vector<BYTE>(image->begin(), image->end());
}

} // namespace zx
