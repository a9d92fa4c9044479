#include "platform/StringTable.h"
#include "support/OwnResources.h"

#include <gtest/gtest.h>

#include <vector>

using zx::FindStringInTable;
using zx::ResImage;
using zx::StringInBlock;

namespace {

ResImage ownImage() {
    return ResImage(zxtest::OwnResourceImage());
}

std::wstring str(const ResImage& image, UINT id, std::optional<WORD> lang = std::nullopt) {
    return FindStringInTable(image, id, lang).value_or(L"<none>");
}

} // namespace

TEST(StringTableTest, FindsStringsOfEveryBlockAsTheScriptWritesThem) {
    const ResImage image = ownImage();
    ASSERT_TRUE(image.isValid());

    EXPECT_EQ(str(image, 0), L"zero");
    EXPECT_EQ(str(image, 1), L"one");
    EXPECT_EQ(str(image, 15), L"last of the first block");
    EXPECT_EQ(str(image, 16), L"first of the second block");
    EXPECT_EQ(str(image, 100), L"Tab\there, quote \" and backslash \\");
    EXPECT_EQ(str(image, 4095), L"end of block 256");
    EXPECT_EQ(str(image, 4096), L"Gr\u00fc\u00dfe aus \U0001D11E");
    EXPECT_EQ(str(image, 65534), L"almost the end");
    EXPECT_EQ(str(image, 65535), L"the end");
    // Only the low 16 bits of an id count.
    EXPECT_EQ(str(image, 0x10001), L"one");

    // Empty, absent within a present block, and in a block that is absent.
    for (UINT missing : {5u, 2u, 14u, 17u, 31u, 99u, 101u, 4094u, 65533u, 50000u})
        EXPECT_FALSE(FindStringInTable(image, missing)) << missing;

    EXPECT_EQ(str(image, 1, WORD{0x0407}), L"eins");
    EXPECT_EQ(str(image, 1, WORD{0x0409}), L"one");
    EXPECT_FALSE(FindStringInTable(image, 0, WORD{0x0407}));
    EXPECT_FALSE(FindStringInTable(ResImage(), 1));
}

TEST(StringTableTest, DamagedBlocksGiveNoStringAndNeverReadPastThem) {
    // Block: index 0 "ab", index 1 empty, index 2 "c".
    const std::vector<BYTE> block{2, 0, 'a', 0, 'b', 0, 0, 0, 1, 0, 'c', 0};
    EXPECT_EQ(StringInBlock(block, 0).value_or(L"?"), L"ab");
    EXPECT_FALSE(StringInBlock(block, 1));
    EXPECT_EQ(StringInBlock(block, 2).value_or(L"?"), L"c");
    EXPECT_FALSE(StringInBlock(block, 3)); // the block ends before index 3
    EXPECT_FALSE(StringInBlock(block, 16));

    for (size_t length = 0; length < block.size(); ++length) {
        const std::vector<BYTE> cut(block.data(), block.data() + length);
        for (UINT index = 0; index < 16; ++index) {
            auto s = StringInBlock(cut, index);
            // A string is found only when all of it lies inside the cut.
            const bool whole = (index == 0 && length >= 6) || (index == 2 && length >= 12);
            EXPECT_EQ(s.has_value(), whole) << "length " << length << " index " << index;
        }
    }

    // A length far past the end, and an odd block size.
    const std::vector<BYTE> huge{0xFF, 0xFF, 'x', 0};
    EXPECT_FALSE(StringInBlock(huge, 0));
    EXPECT_FALSE(StringInBlock(huge, 1));
    const std::vector<BYTE> odd{1, 0, 'x'};
    EXPECT_FALSE(StringInBlock(odd, 0));
}
