// The RTF reader: tables, character and paragraph formats, escapes, Unicode
// with its fall-back, skipped destinations, and damaged input.

#include "platform/RtfReader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(RtfReader, ReadsFormatsTablesAndSpecialCharacters) {
    const auto doc = zx::ParseRtf(
        "{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss{\\*\\panose 0}"
        " Tahoma;}}{\\colortbl;\\red255\\green0\\blue0;}{\\stylesheet{\\s1 Heading;}}"
        "{\\info{\\title Secret}}\\pard\\qc\\li200\\sb60 A\\b B\\b0\\i\\ul C\\ulnone\\i0 "
        "\\cf1\\fs30\\f0 D\\plain E\\tab F\\line G\\~H\\emdash\\par"
        "\\pard\\'93q\\'94 \\{x\\}\\\\ \\u-3913? \\uc0\\u8364 end}");
    ASSERT_TRUE(doc.has_value());
    ASSERT_EQ(doc->paragraphs.size(), 2u);
    EXPECT_EQ(doc->text(), L"ABCDE\tF\u2028G\u00a0H\u2014\r\u201cq\u201d {x}\\ \uf0b7 \u20acend");
    ASSERT_GE(doc->fonts.size(), 2u);
    EXPECT_EQ(doc->fonts[1], L"Tahoma");
    ASSERT_EQ(doc->colors.size(), 2u);
    EXPECT_FALSE(doc->colors[0].has_value());
    EXPECT_EQ(doc->colors[1], RGB(255, 0, 0));

    const zx::RtfParagraph& p = doc->paragraphs[0];
    EXPECT_EQ(p.format.align, zx::RtfAlign::Center);
    EXPECT_EQ(p.format.leftIndent, 200);
    EXPECT_EQ(p.format.spaceBefore, 60);
    ASSERT_EQ(p.runs.size(), 5u);
    EXPECT_EQ(p.runs[0].text, L"A");
    EXPECT_EQ(p.runs[0].format.face, L"Tahoma"); // \deff1
    EXPECT_TRUE(p.runs[1].format.bold);
    EXPECT_TRUE(p.runs[2].format.italic && p.runs[2].format.underline);
    EXPECT_EQ(p.runs[2].text, L"C");
    EXPECT_EQ(p.runs[3].text, L"D");
    EXPECT_EQ(p.runs[3].format.color, RGB(255, 0, 0));
    EXPECT_EQ(p.runs[3].format.halfPoints, 30);
    EXPECT_EQ(p.runs[3].format.face, L"Times New Roman");
    EXPECT_FALSE(p.runs[4].format.color.has_value()); // \plain
    EXPECT_EQ(p.runs[4].format.halfPoints, 24);
    EXPECT_EQ(doc->paragraphs[1].format.align, zx::RtfAlign::Left); // \pard
}

TEST(RtfReader, BulletsFromPnAndListParagraphsNumbersStay) {
    const auto doc =
        zx::ParseRtf("{\\rtf1{\\pntext\\'B7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'B7}}\\li720 one\\par"
                     "{\\listtext\\'B7\\tab}\\ls1\\li720 two\\par"
                     "\\pard{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec}three\\par\\pard four}");
    ASSERT_TRUE(doc.has_value());
    ASSERT_EQ(doc->paragraphs.size(), 4u);
    EXPECT_EQ(doc->paragraphs[0].text(), L"one");
    EXPECT_TRUE(doc->paragraphs[0].format.bullet);
    EXPECT_EQ(doc->paragraphs[1].text(), L"two");
    EXPECT_TRUE(doc->paragraphs[1].format.bullet);
    EXPECT_EQ(doc->paragraphs[2].text(), L"1.\tthree"); // a number is kept as text
    EXPECT_FALSE(doc->paragraphs[2].format.bullet);
    EXPECT_FALSE(doc->paragraphs[3].format.bullet);
}

TEST(RtfReader, DamagedInputGivesWhatCanBeRead) {
    EXPECT_FALSE(zx::ParseRtf("plain text").has_value());
    EXPECT_FALSE(zx::ParseRtf("").has_value());
    EXPECT_TRUE(zx::LooksLikeRtf("  \r\n{\\rtf1}"));

    const auto truncated = zx::ParseRtf("{\\rtf1 abc\\b def\\'4");
    ASSERT_TRUE(truncated.has_value());
    EXPECT_EQ(truncated->text(), L"abcdef");
    const auto stray = zx::ParseRtf("{\\rtf1 a}}}b{c}");
    ASSERT_TRUE(stray.has_value());
    EXPECT_EQ(stray->text(), L"a"); // nothing outside the document group
    const auto huge =
        zx::ParseRtf("{\\rtf1\\fs99999999999999999999\\cf-99999999999 \\li-9999999999 x}");
    ASSERT_TRUE(huge.has_value());
    EXPECT_EQ(huge->text(), L"x");
    EXPECT_GT(huge->paragraphs[0].runs[0].format.halfPoints, 0);

    std::string deep = "{\\rtf1 ";
    for (int i = 0; i < 100000; ++i)
        deep += '{';
    deep += "deep";
    const auto nested = zx::ParseRtf(deep);
    ASSERT_TRUE(nested.has_value());
    EXPECT_EQ(nested->text(), L"deep");
    const auto empty = zx::ParseRtf("{\\rtf1}");
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(empty->paragraphs.size(), 1u);
}

} // namespace
