#include "platform/WinFormat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <sys/mman.h>
#include <unistd.h>

namespace {

std::wstring F(const wchar_t* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::wstring out = zx::FormatV(fmt, args);
    va_end(args);
    return out;
}

void AppendF(std::wstring& out, const wchar_t* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    zx::AppendFormatV(out, fmt, args);
    va_end(args);
}

std::uintptr_t P(const void* p) {
    return reinterpret_cast<std::uintptr_t>(p);
}

} // namespace

// In a wide format %s is a wide text and %S a narrow one: the reverse of
// glibc, and the one difference every format of the library depends on.
TEST(WinFormat, TextsFollowWindowsRules) {
    EXPECT_EQ(F(L"%s%s", L"ab", L"cd"), L"abcd");
    EXPECT_EQ(F(L"Release: %s    Date: %s", L"1.2", L"2010"), L"Release: 1.2    Date: 2010");
    EXPECT_EQ(F(L"[%s]", L"Gr\u00FC\u00DFe \u20AC \U0001F600"),
              L"[Gr\u00FC\u00DFe \u20AC \U0001F600]");
    EXPECT_EQ(F(L"%S|%hs|%ls|%ws|%lS", "nar", "row", L"wi", L"de", L"x"), L"nar|row|wi|de|x");
    // Narrow texts: UTF-8, with bytes that are no UTF-8 read as Windows-1252.
    EXPECT_EQ(F(L"%S %S", "caf\xC3\xA9", "caf\xE9\x80"), L"caf\u00E9 caf\u00E9\u20AC");
    EXPECT_EQ(F(L"%s|%S", static_cast<const wchar_t*>(nullptr), static_cast<const char*>(nullptr)),
              L"(null)|(null)");
    EXPECT_EQ(F(L"%5s|%-5s|%.3s|%5.1s|", L"ab", L"ab", L"abcdef", L"xyz"),
              L"   ab|ab   |abc|    x|");
    // Windows pads texts with zeros when asked to.
    EXPECT_EQ(F(L"%05s", L"ab"), L"000ab");
    // The precision of a narrow text bounds the bytes read: the text need not
    // be terminated.
    const char unterminated[3] = {'x', 'y', 'z'};
    EXPECT_EQ(F(L"%.3S|", unterminated), L"xyz|");

    EXPECT_EQ(F(L"%c%c|%3c|%-3c|", L'A', 0x1F600, L'b', L'c'), L"A\U0001F600|  b|c  |");
    EXPECT_EQ(F(L"%C%hc%lc", 'n', static_cast<char>(0xE9), L'\u20AC'), L"n\u00E9\u20AC");
    EXPECT_EQ(F(L"100%% %s", L"done"), L"100% done");
}

TEST(WinFormat, IntegersFlagsWidthsAndPrecisions) {
    EXPECT_EQ(F(L"%2u|%2u|#%u", 7u, 123u, 3u), L" 7|123|#3");
    EXPECT_EQ(F(L"%d|%i|%-5d|%5d|", -42, 42, 42, -42), L"-42|42|42   |  -42|");
    EXPECT_EQ(F(L"%+d|%+d|% d|% d|%+u|% u", 5, -5, 5, -5, 5u, 5u), L"+5|-5| 5|-5|5|5");
    EXPECT_EQ(F(L"%05d|%-05d|%.3d|%08.3d|%+.2d", -42, 42, 7, 7, 3),
              L"-0042|42   |007|     007|+03");
    EXPECT_EQ(F(L"[%.0d][%.0u][%5.0x]", 0, 0u, 0u), L"[][][     ]");
    EXPECT_EQ(F(L"%u|%d", 0xFFFFFFFFu, 0xFFFFFFFFu), L"4294967295|-1");

    EXPECT_EQ(F(L"%x|%X|%#x|%#X|%#x", 255u, 255u, 255u, 255u, 0u), L"ff|FF|0xff|0XFF|0x0");
    EXPECT_EQ(F(L"0x%08X|%#010x|%-#6x|", 0xBEEFu, 255u, 10u), L"0x0000BEEF|0x000000ff|0xa   |");
    EXPECT_EQ(F(L"%o|%#o|%#o|%#.3o", 8u, 8u, 0u, 8u), L"10|010|0|010");

    // Lengths: `l` is 32 bits as on Windows, h and hh cut the value.
    EXPECT_EQ(F(L"%lu|%ld", -1L, 0x1FFFFFFFFL), L"4294967295|-1");
    EXPECT_EQ(F(L"%hd|%hd|%hu|%hhu|%hhd", 70000, 0xFFFF, -1, 0x1FF, 0x80),
              L"4464|-1|65535|255|-128");
    EXPECT_EQ(F(L"%I64u|%llx|%lld|%I64d", 0x123456789ULL, 0x123456789ULL, -5LL, INT64_MIN),
              L"4886718345|123456789|-5|-9223372036854775808");
    EXPECT_EQ(F(L"%zu|%Iu|%I32d|%jd", SIZE_MAX, size_t{1} << 40, -1, INT64_MAX),
              L"18446744073709551615|1099511627776|-1|9223372036854775807");
    EXPECT_EQ(F(L"%p|%#p", reinterpret_cast<void*>(0x1234), reinterpret_cast<void*>(0xAB)),
              L"0000000000001234|0X00000000000000AB");

    // Star width and precision, a negative width meaning left alignment.
    EXPECT_EQ(F(L"%*d|%-*d|%*d|%.*s|%.*d", 5, 42, 5, 42, -4, 42, 2, L"abc", -1, 7),
              L"   42|42   |42  |ab|7");
}

TEST(WinFormat, FloatingPoint) {
    EXPECT_EQ(F(L"% 6.3f|%6.3f|%6.3f", 3.14159, 3.14159, -3.14159), L" 3.142| 3.142|-3.142");
    EXPECT_EQ(F(L"%05.1f|%-7.2f|%+.0f|%#.0f", -2.5, 1.5, 2.0, 3.0), L"-02.5|1.50   |+2|3.");
    EXPECT_EQ(F(L"%f|%lf|%Lf", 1.5, 1.5, 2.5L), L"1.500000|1.500000|2.500000");
    EXPECT_EQ(F(L"%e|%E|%.2e", 12345.678, 0.00012, 1.0), L"1.234568e+04|1.200000E-04|1.00e+00");
    EXPECT_EQ(F(L"%g|%g|%G|%g|%.3g", 0.0001, 1e-5, 1e20, 100.0, 3.14159),
              L"0.0001|1e-05|1E+20|100|3.14");
    EXPECT_EQ(F(L"%.*f|%*.*f", 2, 3.14159, 7, 1, 2.26), L"3.14|    2.3");
    // Long results leave no fixed-size buffer behind.
    const std::wstring big = F(L"%.300f", 1.0);
    EXPECT_EQ(big.size(), 302u);
    EXPECT_EQ(big.substr(0, 4), L"1.00");
}

// Whatever the format holds, formatting neither crashes nor loses the text
// around what it cannot read.
TEST(WinFormat, OddFormats) {
    EXPECT_EQ(F(L"a%yb|%5yc", 1), L"a%yb|%5yc");
    EXPECT_EQ(F(L"abc%"), L"abc%");
    EXPECT_EQ(F(L"abc%-5"), L"abc%-5");
    EXPECT_EQ(F(nullptr), L"");
    int written = 0;
    EXPECT_EQ(F(L"x%ny%d", &written, 4), L"xy4");
    EXPECT_EQ(written, 0);
    // Field widths are limited, so a wild width cannot exhaust memory.
    EXPECT_EQ(F(L"%999999999d", 1).size(), 100000u);
    EXPECT_EQ(F(L"%*d", INT32_MIN, 1).size(), 100000u);

    std::wstring out = L"keep:";
    AppendF(out, L"%% %d", 5);
    EXPECT_EQ(out, L"keep:% 5");
}

// The diagnostic log's three pointer-sized arguments: texts as pointers,
// numbers as their low 32 bits, and nothing read beyond the last one.
TEST(WinFormat, LogArgumentsAreReadAsTheFormatSays) {
    const wchar_t* text = L"text";
    const std::uintptr_t mixed[3] = {7, P(text), 0xDEAD};
    EXPECT_EQ(zx::FormatArgs(L"%u and %s\n", mixed, 3), L"7 and text\n");

    // Exactly three arguments on the heap, so that ASan sees any read past them.
    const std::unique_ptr<std::uintptr_t[]> args(new std::uintptr_t[3]{P(L"a"), P(L"b"), P(L"c")});
    EXPECT_EQ(zx::FormatArgs(L"%s|%s|%s|%s|%5s|%d", args.get(), 3), L"a|b|c|||");
    EXPECT_EQ(zx::FormatArgs(L"[%s]", nullptr, 3), L"[]");

    const std::uintptr_t wide[3] = {0x100000007ULL, 0x100000007ULL, 0xFFFFFFFFULL};
    EXPECT_EQ(zx::FormatArgs(L"%u %I64u %d", wide, 3), L"7 4294967303 -1");
    const std::uintptr_t hex[2] = {0x100000007ULL, 0xABCDEF0123ULL};
    EXPECT_EQ(zx::FormatArgs(L"%llx 0x%08X", hex, 2), L"100000007 0xCDEF0123");

    // A star width takes an argument of its own.
    const std::uintptr_t star[2] = {5, 42};
    EXPECT_EQ(zx::FormatArgs(L"%*d|", star, 2), L"   42|");
    EXPECT_EQ(zx::FormatArgs(L"%*d|", star, 1), L"|");

    const std::uintptr_t narrow[3] = {P("narrow"), L'W', 'n'};
    EXPECT_EQ(zx::FormatArgs(L"%S %c%C", narrow, 3), L"narrow Wn");

    std::wstring out = L"12:00:00 - ";
    zx::AppendFormatArgs(out, L"Loaded %s\n", mixed + 1, 2);
    EXPECT_EQ(out, L"12:00:00 - Loaded text\n");
}

// A bad text pointer among the log's arguments abandons the entry instead of
// faulting, and texts that end right before unreadable memory still print.
TEST(WinFormat, GuardedLogArguments) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    // Two readable pages, each followed by an unreadable one.
    void* map = mmap(nullptr, 4 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(map, MAP_FAILED);
    auto* base = static_cast<char*>(map);
    ASSERT_EQ(mprotect(base + page, page, PROT_NONE), 0);
    ASSERT_EQ(mprotect(base + 3 * page, page, PROT_NONE), 0);

    // "abc" and its terminator fill the last four wide characters of the page.
    auto* wideAtEnd = reinterpret_cast<wchar_t*>(base + page) - 4;
    wcscpy(wideAtEnd, L"abc");
    // Three unterminated bytes end the other page.
    char* narrowAtEnd = base + 3 * page - 3;
    std::memcpy(narrowAtEnd, "xyz", 3);

    std::wstring out = L"stamp - ";
    const std::uintptr_t good[3] = {P(wideAtEnd), P(narrowAtEnd), 9};
    EXPECT_TRUE(zx::TryAppendFormatArgs(out, L"%s %.3S %u\n", good, 3));
    EXPECT_EQ(out, L"stamp - abc xyz 9\n");

    const std::wstring before = out;
    const std::uintptr_t unterminated[1] = {P(narrowAtEnd)};
    EXPECT_FALSE(zx::TryAppendFormatArgs(out, L"%S\n", unterminated, 1));
    const std::uintptr_t guard[1] = {P(base + page)};
    EXPECT_FALSE(zx::TryAppendFormatArgs(out, L"x %s\n", guard, 1));
    const std::uintptr_t number[2] = {1, 7}; // a number where a text belongs
    EXPECT_FALSE(zx::TryAppendFormatArgs(out, L"%u %s\n", number, 2));
    const std::uintptr_t misaligned[1] = {P(base + 1)};
    EXPECT_FALSE(zx::TryAppendFormatArgs(out, L"%s\n", misaligned, 1));
    EXPECT_EQ(out, before);

    // Long texts span several pages of reading.
    const std::wstring longText(5000, L'q');
    const std::uintptr_t longArg[1] = {P(longText.c_str())};
    std::wstring longOut;
    EXPECT_TRUE(zx::TryAppendFormatArgs(longOut, L"%s", longArg, 1));
    EXPECT_EQ(longOut, longText);

    // Caught faults leave the program's own faults alone: they still end it.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            std::wstring again;
            zx::TryAppendFormatArgs(again, L"x %s\n", guard, 1);
            *static_cast<volatile char*>(static_cast<void*>(base + page)) = 1;
        },
        "");

    munmap(map, 4 * page);
}
