// The ELF resource reader on damaged module files. Each input is read twice:
// as a whole file, and as the resource payload of a small shared object built
// around it, whose header fields the input's first bytes also bend. The .res
// seeds then reach the section walk and the resource index instead of
// stopping at the ELF magic: their first bytes (zeros, 0x20 and 0xFF) are
// controls that change nothing.

#include "FuzzTarget.h"

#include "platform/ElfResources.h"
#include "platform/ResImage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <elf.h>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr char kNames[] = "\0.zxres\0.shstrtab";
constexpr size_t kControlBytes = 16;

template <class T> void put(Bytes& file, size_t offset, T value) {
    if (offset + sizeof value <= file.size())
        std::memcpy(file.data() + offset, &value, sizeof value);
}

template <class T> T get(const Bytes& file, size_t offset) {
    T value{};
    if (offset + sizeof value <= file.size())
        std::memcpy(&value, file.data() + offset, sizeof value);
    return value;
}

size_t align8(size_t n) {
    return (n + 7) & ~size_t{7};
}

// Header, .zxres (8-byte size and the payload), section names, and the
// section headers null, .zxres, .shstrtab; then the controls bend it.
Bytes synthesize(const std::uint8_t* data, size_t size) {
    const size_t controls = std::min(size, kControlBytes);
    const std::uint8_t* payload = data;
    const size_t payloadSize = size;

    const size_t blobAt = sizeof(Elf64_Ehdr);
    const size_t blobSize = 8 + payloadSize;
    const size_t namesAt = align8(blobAt + blobSize);
    const size_t tableAt = align8(namesAt + sizeof kNames);
    Bytes file(tableAt + 3 * sizeof(Elf64_Shdr), 0);

    Elf64_Ehdr eh{};
    std::memcpy(eh.e_ident, ELFMAG, SELFMAG);
    eh.e_ident[EI_CLASS] = ELFCLASS64;
    eh.e_ident[EI_DATA] = ELFDATA2LSB;
    eh.e_ident[EI_VERSION] = EV_CURRENT;
    eh.e_type = ET_DYN;
    eh.e_machine = EM_X86_64;
    eh.e_version = EV_CURRENT;
    eh.e_ehsize = sizeof(Elf64_Ehdr);
    eh.e_shoff = tableAt;
    eh.e_shentsize = sizeof(Elf64_Shdr);
    eh.e_shnum = 3;
    eh.e_shstrndx = 2;
    put(file, 0, eh);
    put<std::uint64_t>(file, blobAt, payloadSize);
    if (payloadSize)
        std::memcpy(file.data() + blobAt + 8, payload, payloadSize);
    std::memcpy(file.data() + namesAt, kNames, sizeof kNames);

    Elf64_Shdr resources{};
    resources.sh_name = 1;
    resources.sh_type = SHT_PROGBITS;
    resources.sh_flags = SHF_ALLOC;
    resources.sh_offset = blobAt;
    resources.sh_size = blobSize;
    Elf64_Shdr names{};
    names.sh_name = 8;
    names.sh_type = SHT_STRTAB;
    names.sh_offset = namesAt;
    names.sh_size = sizeof kNames;
    const size_t res = tableAt + sizeof(Elf64_Shdr);
    const size_t str = tableAt + 2 * sizeof(Elf64_Shdr);
    put(file, res, resources);
    put(file, str, names);

    for (size_t i = 0; i + 1 < controls; i += 2) {
        const std::uint8_t v = data[i + 1];
        const auto delta = static_cast<std::int8_t>(v);
        switch (data[i] % 16) {
        case 0:
            put<Elf64_Off>(file, offsetof(Elf64_Ehdr, e_shoff),
                           get<Elf64_Off>(file, offsetof(Elf64_Ehdr, e_shoff)) + delta * 8);
            break;
        case 1:
            put<Elf64_Half>(file, offsetof(Elf64_Ehdr, e_shnum), v);
            break;
        case 2:
            put<Elf64_Half>(file, offsetof(Elf64_Ehdr, e_shstrndx), v);
            break;
        case 3:
            put<Elf64_Off>(file, res + offsetof(Elf64_Shdr, sh_offset),
                           get<Elf64_Off>(file, res + offsetof(Elf64_Shdr, sh_offset)) + delta);
            break;
        case 4:
            put<Elf64_Xword>(file, res + offsetof(Elf64_Shdr, sh_size),
                             get<Elf64_Xword>(file, res + offsetof(Elf64_Shdr, sh_size)) + delta);
            break;
        case 5:
            put<std::uint64_t>(file, blobAt, get<std::uint64_t>(file, blobAt) + delta);
            break;
        case 6:
            put<Elf64_Word>(file, res + offsetof(Elf64_Shdr, sh_type), v);
            break;
        case 7:
            put<Elf64_Word>(file, res + offsetof(Elf64_Shdr, sh_name), v);
            break;
        case 8:
            put<Elf64_Xword>(file, str + offsetof(Elf64_Shdr, sh_size), v);
            break;
        case 9:
            put<Elf64_Half>(file, offsetof(Elf64_Ehdr, e_shentsize), v);
            break;
        case 10:
            file.resize(file.size() - std::min<size_t>(file.size(), v));
            break;
        case 11:
            if (file.size() > EI_CLASS)
                file[EI_CLASS] = v;
            break;
        case 12: // extended section numbering
            put<Elf64_Half>(file, offsetof(Elf64_Ehdr, e_shnum), 0);
            put<Elf64_Xword>(file, tableAt + offsetof(Elf64_Shdr, sh_size), v);
            break;
        default:
            break;
        }
    }
    return file;
}

void check(const Bytes& file) {
    const zx::ElfMemorySource source({file.data(), file.size()});
    std::vector<BYTE> blob;
    if (zx::ReadElfResourceBlob(source, blob) == zx::ElfStatus::Ok) {
        // A blob handed out is whole: its size field fits, and it came from
        // inside the file.
        const auto image = zx::ResImage::imageInBlob(blob);
        if (!image || blob.size() > file.size())
            std::abort();
        const zx::ResImage index(*image);
        for (const zx::ResEntry& e : index.entries()) {
            if (e.data.data() < image->data() ||
                e.data.data() + e.data.size() > image->data() + image->size())
                std::abort();
        }
    } else if (!blob.empty()) {
        std::abort();
    }
    (void)zx::CheckLoadableElf(source);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    check(Bytes(data, data + size));
    check(synthesize(data, size));
    return 0;
}
