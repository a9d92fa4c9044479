#include "fuzz/ResWriter.h"
#include "platform/ResImage.h"
#include "support/OwnResources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

using zx::ResId;
using zx::ResImage;

namespace {

std::span<const BYTE> ownImage() {
    const auto image = zxtest::OwnResourceImage();
    EXPECT_FALSE(image.empty());
    return image;
}

std::string text(std::optional<std::span<const BYTE>> data) {
    if (!data)
        return "<none>";
    return std::string(data->begin(), data->end());
}

ResId id(LPCWSTR winId) {
    auto out = ResId::fromWinId(winId);
    EXPECT_TRUE(out.has_value());
    return out.value_or(ResId());
}

// An entry of `type` and `name`, for images built by ResWriter.
zx::ResEntry Entry(ResId type, ResId name) {
    return {type, name, 0, 0, 0, 0, 0, {}};
}

} // namespace

TEST(ResIdTest, WindowsStyleIdsBecomeOrdinalsOrUpperCasedNames) {
    EXPECT_EQ(id(MAKEINTRESOURCEW(101)), ResId(101));
    EXPECT_EQ(id(L"#101"), ResId(101));
    EXPECT_EQ(id(L"#0"), ResId(0));
    EXPECT_EQ(id(L"#65535"), ResId(65535));
    EXPECT_EQ(id(L"text"), id(L"TEXT"));
    EXPECT_EQ(id(L"Text").name(), L"TEXT");
    EXPECT_EQ(id(L"\u00e9t\u00e9").name(), L"\u00c9T\u00c9");
    EXPECT_FALSE(id(L"text").isOrdinal());
    EXPECT_EQ(id(L"#42").toString(), L"#42");
    EXPECT_EQ(id(L"Pdf").toString(), L"PDF");
    // A name spelled like an ordinal stays a name when taken as it is.
    EXPECT_FALSE(ResId::named(L"#5") == ResId(5));

    for (LPCWSTR bad : {L"", L"#", L"#65536", L"#12a", L"#-1", L"#999999", L"# 1"})
        EXPECT_FALSE(ResId::fromWinId(bad).has_value());
    EXPECT_FALSE(ResId::fromWinId(nullptr).has_value());
}

TEST(ResImageTest, FindsEveryResourceOfACompiledScript) {
    const ResImage res(ownImage());
    ASSERT_TRUE(res.isValid());
    EXPECT_EQ(res.entries().size(), 10u);

    EXPECT_EQ(text(res.find(id(L"TEXT"), id(L"#101"))), "Evaluation board description");
    EXPECT_EQ(text(res.find(id(L"BitStream"), id(L"#102"))), "C:\\boards\\v2.1\\fw\\image.bin");
    EXPECT_EQ(text(res.find(id(L"PDF"), id(L"#7"))), "%PDF-1.4 fake\n");
    EXPECT_EQ(text(res.find(id(L"TEXT"), id(L"mynotes"))), "named resource");
    EXPECT_EQ(text(res.find(ResId(zx::kRtRcData), id(L"#200"))),
              std::string("\x34\x12\x78\x56") + "ab");
    EXPECT_EQ(text(res.find(id(MAKEINTRESOURCEW(4660)), id(L"#5"))), "odd");

    // Wrong type, wrong name, a name that is only an ordinal's digits.
    EXPECT_FALSE(res.find(id(L"BITSTREAM"), id(L"#101")));
    EXPECT_FALSE(res.find(id(L"TEXT"), id(L"#103")));
    EXPECT_FALSE(res.find(id(L"TEXT"), ResId::named(L"101")));
    EXPECT_FALSE(res.find(ResId(zx::kRtRcData), id(L"#5")));

    // Languages: exact when asked, else neutral first, then US English.
    EXPECT_EQ(text(res.find(ResId(zx::kRtRcData), id(L"#300"), WORD{0x0407})), "deutsch");
    EXPECT_EQ(text(res.find(ResId(zx::kRtRcData), id(L"#300"))), "neutral");
    EXPECT_EQ(text(res.find(ResId(zx::kRtRcData), id(L"#301"))), "english");
    EXPECT_FALSE(res.find(ResId(zx::kRtRcData), id(L"#301"), WORD{0x040C}));
    const zx::ResEntry* german = res.findEntry(ResId(zx::kRtRcData), id(L"#301"), WORD{0x0407});
    ASSERT_NE(german, nullptr);
    EXPECT_EQ(german->language, 0x0407);
    EXPECT_EQ(german->memoryFlags, 0x1030);
}

TEST(ResImageTest, EveryPrefixIsEitherWholeEntriesOrNothing) {
    const auto full = ownImage();
    const ResImage whole(full);
    ASSERT_TRUE(whole.isValid());

    // A cut is clean where an entry's data ends, or inside its padding.
    std::set<size_t> clean{32};
    for (const auto& e : whole.entries()) {
        const size_t end = static_cast<size_t>(e.data.data() + e.data.size() - full.data());
        for (size_t cut = end; cut <= ((end + 3) & ~size_t{3}); ++cut)
            clean.insert(cut);
    }
    for (size_t length = 0; length <= full.size(); ++length) {
        // An exact-size copy, so that the sanitizer sees any read past it.
        const std::vector<BYTE> prefix(full.data(), full.data() + length);
        const ResImage res(prefix);
        ASSERT_EQ(res.isValid(), clean.count(length) == 1) << "length " << length;
        if (!res.isValid()) {
            EXPECT_TRUE(res.entries().empty());
            EXPECT_FALSE(res.find(id(L"TEXT"), id(L"#101")));
            continue;
        }
        for (size_t i = 0; i < res.entries().size(); ++i) {
            const auto& e = res.entries()[i];
            EXPECT_GE(e.data.data(), prefix.data());
            EXPECT_LE(e.data.data() + e.data.size(), prefix.data() + prefix.size());
            EXPECT_EQ(e.type, whole.entries()[i].type);
            EXPECT_TRUE(std::equal(e.data.begin(), e.data.end(), whole.entries()[i].data.begin(),
                                   whole.entries()[i].data.end()));
        }
    }
}

TEST(ResImageTest, DamagedHeadersMakeTheWholeImageEmpty) {
    auto check = [](const std::vector<BYTE>& bytes) {
        const std::vector<BYTE> copy(bytes);
        const ResImage res(copy);
        return res.isValid() ? static_cast<int>(res.entries().size()) : -1;
    };
    auto setDword = [](std::vector<BYTE>& b, size_t at, DWORD v) { std::memcpy(&b[at], &v, 4); };

    zx::fuzz::ResWriter writer;
    const std::vector<BYTE> abc{'a', 'b', 'c'}, d{'d'};
    writer.add(Entry(ResId(10), ResId(1)), abc);
    writer.add(Entry(ResId(10), ResId(2)), d);
    const std::vector<BYTE>& good = writer.bytes();
    ASSERT_EQ(check(good), 2);

    EXPECT_EQ(check(std::vector<BYTE>(good.begin() + 32, good.end())), -1); // no empty leader
    EXPECT_EQ(check({}), -1);

    for (DWORD dataSize : {5u, 6u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        auto b = good;
        setDword(b, 32 + 36, dataSize); // the last entry's data runs past the end
        EXPECT_EQ(check(b), -1) << dataSize;
    }
    for (DWORD headerSize : {0u, 8u, 28u, 30u, 34u, 0x1000u, 0xFFFFFFF0u}) {
        auto b = good;
        setDword(b, 32 + 4, headerSize);
        EXPECT_EQ(check(b), -1) << headerSize;
    }

    // A type name whose terminator lies beyond the header size.
    std::vector<BYTE> unterminated(good.begin(), good.begin() + 32);
    unterminated.insert(unterminated.end(), {0, 0, 0, 0, 32, 0, 0, 0});
    for (int i = 0; i < 12; ++i)
        unterminated.insert(unterminated.end(), {'A', 0});
    unterminated.insert(unterminated.end(), 4, 0);
    EXPECT_EQ(check(unterminated), -1);

    // An empty type name (0x0000) is not a name.
    auto empty = good;
    empty[32 + 8] = 0;
    empty[32 + 9] = 0;
    EXPECT_EQ(check(empty), -1);

    // Named type and name, header padded to a DWORD: found case-insensitively.
    zx::fuzz::ResWriter named;
    const std::vector<BYTE> zz{'z', 'z'};
    named.add(Entry(ResId::named(L"ABC"), ResId::named(L"DE")), zz);
    const ResImage res(named.bytes());
    EXPECT_EQ(text(res.find(id(L"abc"), id(L"de"))), "zz");

    // The blob around an image must hold the size it claims.
    std::vector<BYTE> blob{4, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3};
    EXPECT_FALSE(ResImage::imageInBlob(blob));
    blob.push_back(4);
    EXPECT_EQ(ResImage::imageInBlob(blob)->size(), 4u);
    blob[7] = 0x80;
    EXPECT_FALSE(ResImage::imageInBlob(blob));
    EXPECT_FALSE(ResImage::imageInBlob(std::span<const BYTE>(blob.data(), 7)));
}
