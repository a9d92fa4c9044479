#include "platform/ElfResources.h"
#include "platform/Modules.h"
#include "platform/ResImage.h"
#include "support/Fixtures.h"
#include "support/WholeFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <elf.h>
#include <vector>

namespace {

template <class T> T get(const std::vector<BYTE>& bytes, size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

template <class T> void put(std::vector<BYTE>& bytes, size_t offset, T value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

zx::ElfStatus blobOf(const std::vector<BYTE>& file, std::vector<BYTE>& blob) {
    return zx::ReadElfResourceBlob(zx::ElfMemorySource(file), blob);
}

// The index of the section header of .zxres.
size_t resourceSection(const std::vector<BYTE>& file) {
    const auto eh = get<Elf64_Ehdr>(file, 0);
    const auto strings = get<Elf64_Shdr>(file, eh.e_shoff + eh.e_shstrndx * sizeof(Elf64_Shdr));
    for (size_t i = 0; i < eh.e_shnum; ++i) {
        const auto sh = get<Elf64_Shdr>(file, eh.e_shoff + i * sizeof(Elf64_Shdr));
        if (std::strcmp(reinterpret_cast<const char*>(file.data()) + strings.sh_offset + sh.sh_name,
                        ".zxres") == 0)
            return i;
    }
    return 0;
}

} // namespace

// The headers of a real plug-in, bent one field at a time the ways a damaged
// file can be: each gives "damaged" or "not ELF", never data or a crash.
TEST(ElfResources, EveryBentHeaderIsRefused) {
    using enum zx::ElfStatus;
    const std::vector<BYTE> plugin = zxtest::ReadWholeFile<std::vector<BYTE>>(
        zxtest::FixtureFile("resources", "fixture_resources.cap"));
    ASSERT_GT(plugin.size(), sizeof(Elf64_Ehdr));
    std::vector<BYTE> blob;
    ASSERT_EQ(blobOf(plugin, blob), Ok);
    const auto image = zx::ResImage::imageInBlob(blob);
    ASSERT_TRUE(image.has_value());
    EXPECT_TRUE(zx::ResImage(*image).isValid());
    EXPECT_EQ(zx::CheckLoadableElf(zx::ElfMemorySource(plugin)), Ok);

    const auto eh = get<Elf64_Ehdr>(plugin, 0);
    const size_t index = resourceSection(plugin);
    ASSERT_NE(index, 0u);
    const size_t sh = eh.e_shoff + index * sizeof(Elf64_Shdr);

    struct Bend {
        const char* what;
        size_t offset;
        std::uint64_t value;
        size_t width;
        zx::ElfStatus expected;
    };
    const Bend bends[] = {
        {"magic", 1, 'X', 1, NotElf},
        {"class", EI_CLASS, ELFCLASS32, 1, NotElf},
        {"byte order", EI_DATA, ELFDATA2MSB, 1, NotElf},
        {"section table offset", offsetof(Elf64_Ehdr, e_shoff), plugin.size(), 8, Damaged},
        {"section table wraps", offsetof(Elf64_Ehdr, e_shoff), ~std::uint64_t{0} - 16, 8, Damaged},
        {"section count", offsetof(Elf64_Ehdr, e_shnum), 0xFEFF, 2, Damaged},
        {"section entry size", offsetof(Elf64_Ehdr, e_shentsize), 40, 2, Damaged},
        {"string table index", offsetof(Elf64_Ehdr, e_shstrndx), 0xFEFF, 2, Damaged},
        {"string table is not one", offsetof(Elf64_Ehdr, e_shstrndx), index, 2, Damaged},
        {"section offset", sh + offsetof(Elf64_Shdr, sh_offset), plugin.size() - 4, 8, Damaged},
        {"section size", sh + offsetof(Elf64_Shdr, sh_size), ~std::uint64_t{0}, 8, Damaged},
        {"section too small for its size field", sh + offsetof(Elf64_Shdr, sh_size), 7, 8, Damaged},
        {"section without bytes", sh + offsetof(Elf64_Shdr, sh_type), SHT_NOBITS, 4, Damaged},
        {"blob size field", get<Elf64_Shdr>(plugin, sh).sh_offset, blob.size(), 8, Damaged},
    };
    for (const Bend& bend : bends) {
        std::vector<BYTE> file = plugin;
        ASSERT_LE(bend.offset + bend.width, file.size());
        std::memcpy(file.data() + bend.offset, &bend.value, bend.width);
        EXPECT_EQ(blobOf(file, blob), bend.expected) << bend.what;
        EXPECT_TRUE(blob.empty()) << bend.what;
    }

    // A section whose name lies beyond the string table is skipped.
    std::vector<BYTE> unnamed = plugin;
    put<std::uint32_t>(unnamed, sh + offsetof(Elf64_Shdr, sh_name), 0xFFFFFFF0u);
    EXPECT_EQ(blobOf(unnamed, blob), NoResources);

    // Extended section numbering, as files with many sections use it.
    std::vector<BYTE> extended = plugin;
    put<Elf64_Half>(extended, offsetof(Elf64_Ehdr, e_shnum), 0);
    put<Elf64_Xword>(extended, eh.e_shoff + offsetof(Elf64_Shdr, sh_size), eh.e_shnum);
    put<Elf64_Half>(extended, offsetof(Elf64_Ehdr, e_shstrndx), SHN_XINDEX);
    put<Elf64_Word>(extended, eh.e_shoff + offsetof(Elf64_Shdr, sh_link), eh.e_shstrndx);
    EXPECT_EQ(blobOf(extended, blob), Ok);
    put<Elf64_Xword>(extended, eh.e_shoff + offsetof(Elf64_Shdr, sh_size), 1u << 30);
    EXPECT_EQ(blobOf(extended, blob), Damaged);

    // Loadability: segments must lie inside the file.
    std::vector<BYTE> badSegment = plugin;
    for (size_t i = 0; i < eh.e_phnum; ++i) {
        const size_t ph = eh.e_phoff + i * sizeof(Elf64_Phdr);
        if (get<Elf64_Phdr>(plugin, ph).p_type == PT_LOAD)
            put<Elf64_Off>(badSegment, ph + offsetof(Elf64_Phdr, p_offset), plugin.size());
    }
    EXPECT_EQ(zx::CheckLoadableElf(zx::ElfMemorySource(badSegment)), Damaged);
    std::vector<BYTE> executable = plugin;
    put<Elf64_Half>(executable, offsetof(Elf64_Ehdr, e_type), ET_EXEC);
    EXPECT_EQ(zx::CheckLoadableElf(zx::ElfMemorySource(executable)), NotElf);
    std::vector<BYTE> noHeaders = plugin;
    put<Elf64_Off>(noHeaders, offsetof(Elf64_Ehdr, e_phoff), plugin.size() - 8);
    EXPECT_EQ(zx::CheckLoadableElf(zx::ElfMemorySource(noHeaders)), Damaged);

    // Files without resources, or without section headers at all.
    EXPECT_EQ(zx::ReadElfResourceBlob(zxtest::FixtureFile("resources", "fixture_nores.ctc"), blob),
              NoResources);
    std::vector<BYTE> stripped = plugin;
    put<Elf64_Off>(stripped, offsetof(Elf64_Ehdr, e_shoff), 0);
    put<Elf64_Half>(stripped, offsetof(Elf64_Ehdr, e_shnum), 0);
    EXPECT_EQ(blobOf(stripped, blob), NoResources);
    EXPECT_EQ(zx::ReadElfResourceBlob("/nonexistent/file.cap", blob), NotFound);
    EXPECT_EQ(zx::ReadElfResourceBlob("/", blob), NotRegular);
    EXPECT_FALSE(zx::ReadElfResources("/dev/null").has_value());
}
