#include "platform/VersionBlock.h"

#include "platform/ResImage.h"
#include "support/OwnResources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using zx::ParseVersionBlock;

namespace {

std::vector<BYTE> versionResource() {
    return zxtest::OwnResource(zx::kRtVersion, 1);
}

// Offset of the node whose key is `key` (the key follows the 6-byte header).
size_t nodeOffset(const std::vector<BYTE>& data, std::u16string_view key) {
    const auto* bytes = reinterpret_cast<const BYTE*>(key.data()); // little-endian, as stored
    std::vector<BYTE> pattern(bytes, bytes + 2 * key.size());
    pattern.insert(pattern.end(), {0, 0});
    auto it = std::search(data.begin(), data.end(), pattern.begin(), pattern.end());
    EXPECT_NE(it, data.end());
    return static_cast<size_t>(it - data.begin()) - 6;
}

void setWord(std::vector<BYTE>& data, size_t at, WORD value) {
    data[at] = static_cast<BYTE>(value);
    data[at + 1] = static_cast<BYTE>(value >> 8);
}

} // namespace

TEST(VersionBlockTest, ReadsFixedInformationAndStringTablesOfACompiledScript) {
    const auto data = versionResource();
    const auto block = ParseVersionBlock(data);
    ASSERT_TRUE(block.has_value());

    ASSERT_TRUE(block->fixed.has_value());
    EXPECT_EQ(block->fixed->signature, 0xFEEF04BDu);
    EXPECT_EQ(block->fixed->fileOS, 0x40004u);
    EXPECT_EQ(block->fixed->fileType, 0x2u);
    EXPECT_EQ(block->fileVersionText(), L"2.1.0.4");
    EXPECT_EQ(block->productVersionText(), L"3.0.65535.17");

    ASSERT_EQ(block->tables.size(), 2u);
    EXPECT_EQ(block->tables[0].key, L"040904b0");
    EXPECT_EQ(block->tables[0].strings.size(), 6u);
    EXPECT_EQ(block->value(L"FileDescription"), L"Register Explorer Application");
    EXPECT_EQ(block->value(L"FileVersion"), L"2.1.0.4");
    EXPECT_EQ(block->value(L"CompanyName"), L"Zarvex Devices");
    EXPECT_EQ(block->value(L"ProductName"), L"Zarvex Demonstrator");
    EXPECT_EQ(block->value(L"LegalCopyright"), L"\u00a9 2010 Zarvex \u00fcber \U0001D11E");
    EXPECT_EQ(block->value(L"Comments"), L""); // present, and empty
    EXPECT_FALSE(block->value(L"filedescription"));
    EXPECT_FALSE(block->value(L"InternalName"));
    EXPECT_FALSE(block->value(L"Translation")); // VarFileInfo is not a string table

    EXPECT_EQ(block->value(L"FileDescription", L"040704B0"), L"Registerbetrachter");
    EXPECT_FALSE(block->value(L"FileVersion", L"040704b0"));
    EXPECT_FALSE(block->value(L"FileDescription", L"040C04b0"));
}

TEST(VersionBlockTest, DamagedBlocksAreUnreadableAndNeverReadPastTheData) {
    const auto good = versionResource();
    ASSERT_TRUE(ParseVersionBlock(good));

    // The root's length covers everything: no shorter prefix is a block.
    for (size_t length = 0; length < good.size(); ++length) {
        const std::vector<BYTE> cut(good.data(), good.data() + length);
        EXPECT_FALSE(ParseVersionBlock(cut)) << "length " << length;
    }

    auto damaged = [&](auto change) {
        auto copy = good;
        change(copy);
        return !ParseVersionBlock(copy).has_value();
    };
    const size_t sfi = nodeOffset(good, u"StringFileInfo");
    const size_t desc = nodeOffset(good, u"FileDescription");
    EXPECT_TRUE(damaged([](auto& d) { d[0x28] ^= 1; }));             // signature
    EXPECT_TRUE(damaged([](auto& d) { d[6] = 'W'; }));               // root key
    EXPECT_TRUE(damaged([](auto& d) { setWord(d, 2, 40); }));        // fixed info cut short
    EXPECT_TRUE(damaged([](auto& d) { setWord(d, 2, 0xFFFF); }));    // fixed info past the end
    EXPECT_TRUE(damaged([](auto& d) { setWord(d, 0, 0xFFFF); }));    // root past the end
    EXPECT_TRUE(damaged([&](auto& d) { setWord(d, sfi, 0); }));      // no room for a header
    EXPECT_TRUE(damaged([&](auto& d) { setWord(d, sfi, 0x7FFF); })); // child past its parent
    EXPECT_TRUE(damaged([&](auto& d) { setWord(d, desc, 10); }));    // key cut by length
    // A text value counted in bytes instead of characters still reads.
    EXPECT_FALSE(damaged([&](auto& d) { setWord(d, desc + 2, 60); }));

    // (Damage anywhere, never read out of bounds: fuzz_version.)
}
