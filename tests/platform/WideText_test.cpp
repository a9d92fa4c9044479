#include "platform/WideText.h"

#include <gtest/gtest.h>

using namespace zx;

// Resource strings are UTF-16: pairs must join into one UTF-32 character, and
// broken pairs must neither swallow their neighbour nor pass through as
// surrogates (which no later UTF-8 or Qt conversion could represent).
TEST(WideText, Utf16PairsAndBrokenSurrogates) {
    const char16_t pair[] = {u'a', 0xD83D, 0xDE00, u'b'};
    EXPECT_EQ(Utf16ToWide(pair, 4), std::wstring(L"a\U0001F600b"));

    const char16_t loneHigh[] = {0xD83D, u'x'};
    EXPECT_EQ(Utf16ToWide(loneHigh, 2), std::wstring(L"\uFFFDx"));
    const char16_t loneLow[] = {0xDE00, 0xD83D};
    EXPECT_EQ(Utf16ToWide(loneLow, 2), std::wstring(L"\uFFFD\uFFFD"));
    // A pair cut by the given length is not read beyond it.
    EXPECT_EQ(Utf16ToWide(pair, 2), std::wstring(L"a\uFFFD"));
    // Embedded NULs are characters here: the length decides.
    const char16_t withNul[] = {u'a', 0, u'b'};
    EXPECT_EQ(Utf16ToWide(withNul, 3), std::wstring(L"a\0b", 3));
    EXPECT_EQ(Utf16ToWide(nullptr, 5), std::wstring());

    EXPECT_EQ(WideToUtf16(L"a\U0001F600\u00E9"), std::u16string(u"a\U0001F600\u00E9"));
    const wchar_t bad[] = {static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000), L'z', 0};
    EXPECT_EQ(WideToUtf16(bad), std::u16string(u"\uFFFD\uFFFDz"));
}

// 8-bit resource texts are in the ANSI code page: the 0x80..0x9F block is
// where Windows-1252 differs from Latin-1.
TEST(WideText, AnsiCodePage) {
    const char text[] = "\x80\x85\x8D\x92\x9F\xA0\xE9\xFF";
    EXPECT_EQ(AnsiToWide(text, sizeof text - 1),
              std::wstring(L"\u20AC\u2026\u008D\u2019\u0178\u00A0\u00E9\u00FF"));
    // Resource texts need not be terminated, and stop at a NUL when they are.
    EXPECT_EQ(AnsiToWide("abc\0def", 7), std::wstring(L"abc"));
    EXPECT_EQ(AnsiToWide("abcdef", 3), std::wstring(L"abc"));
    EXPECT_EQ(AnsiToWide(nullptr, 3), std::wstring());

    EXPECT_EQ(WideToAnsi(L"\u20AC\u00E9a\u4E2D"), std::string("\x80\xE9") + "a?");
    for (int b = 1; b < 256; ++b) {
        const char c = static_cast<char>(b);
        EXPECT_EQ(WideToAnsi(AnsiToWide(&c, 1)), std::string(1, c)) << b;
    }
}

// UTF-8 from Linux and Qt can be malformed: each broken piece becomes one
// replacement character and decoding resumes at the next possible start.
TEST(WideText, Utf8RoundTripAndInvalidSequences) {
    const std::wstring text = L"A\u00E9\u20AC\U0001F600";
    EXPECT_EQ(WideToUtf8(text), std::string("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"));
    EXPECT_EQ(Utf8ToWide(WideToUtf8(text)), text);

    EXPECT_EQ(Utf8ToWide(std::string("a\xFF") + "b"), std::wstring(L"a\uFFFDb"));
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), std::wstring(L"\uFFFD\uFFFD"));           // overlong '/'
    EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), std::wstring(L"\uFFFD\uFFFD\uFFFD")); // surrogate
    EXPECT_EQ(Utf8ToWide("\xF4\x90\x80\x80"), std::wstring(L"\uFFFD\uFFFD\uFFFD\uFFFD"));
    // A truncated sequence, then a good byte.
    EXPECT_EQ(Utf8ToWide(std::string("\xE2\x82") + "x"), std::wstring(L"\uFFFDx"));
    EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98"), std::wstring(L"\uFFFD")); // truncated at the end
    EXPECT_EQ(Utf8ToWide(std::string_view("a\0b", 3)), std::wstring(L"a\0b", 3));

    const wchar_t bad[] = {static_cast<wchar_t>(0xDFFF), static_cast<wchar_t>(-1), 0};
    EXPECT_EQ(WideToUtf8(bad), std::string("\xEF\xBF\xBD\xEF\xBF\xBD"));
}
