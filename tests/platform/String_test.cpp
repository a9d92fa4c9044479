#include "platform/String.h"

#include <QString>
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <set>

namespace {
const wchar_t* const kNull = nullptr;

CString FormatThroughV(const wchar_t* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    CString s(L"old");
    s.FormatV(fmt, args);
    va_end(args);
    return s;
}
} // namespace

TEST(CString, ConstructionAndNullTexts) {
    EXPECT_TRUE(CString(kNull).IsEmpty());
    EXPECT_TRUE(CString(kNull, 5).IsEmpty());
    EXPECT_TRUE(CString(L"abc", -1).IsEmpty());
    EXPECT_EQ(CString(L"abcdef", 3), L"abc");
    EXPECT_EQ(CString(L'x', 3), L"xxx");
    EXPECT_TRUE(CString(L'x', -2).IsEmpty());
    EXPECT_EQ(CString(std::wstring(L"w")), L"w");

    CString s(L"abc");
    s = kNull;
    EXPECT_TRUE(s.IsEmpty());
    s = L'z';
    EXPECT_EQ(s, L"z");
    EXPECT_EQ(std::wcslen(static_cast<const wchar_t*>(CString())), 0u);

    // A moved-from string is empty and usable; copies are independent.
    CString a(L"a long enough text to live on the heap");
    CString b = a;
    b.SetAt(0, L'A');
    EXPECT_EQ(a.GetAt(0), L'a');
    CString c = std::move(a);
    EXPECT_EQ(c.GetAt(0), L'a');
}

// MFC clamps positions instead of failing; callers rely on that when they
// cut texts of unknown length.
TEST(CString, ExtractionIsClamped) {
    const CString s(L"abcdef");
    EXPECT_EQ(s.Left(2), L"ab");
    EXPECT_EQ(s.Left(-1), L"");
    EXPECT_EQ(s.Left(99), L"abcdef");
    EXPECT_EQ(s.Right(2), L"ef");
    EXPECT_EQ(s.Right(-3), L"");
    EXPECT_EQ(s.Right(99), L"abcdef");
    EXPECT_EQ(s.Mid(2), L"cdef");
    EXPECT_EQ(s.Mid(2, 3), L"cde");
    EXPECT_EQ(s.Mid(4, 99), L"ef");
    EXPECT_EQ(s.Mid(-2, 3), L"abc");
    EXPECT_EQ(s.Mid(6), L"");
    EXPECT_EQ(s.Mid(7, 2), L"");
    EXPECT_EQ(s.Mid(1, -1), L"");
    EXPECT_EQ(s.SpanIncluding(L"cba"), L"abc");
    EXPECT_EQ(s.SpanExcluding(L"dx"), L"abc");
    EXPECT_EQ(s.SpanExcluding(kNull), L"abcdef");

    EXPECT_EQ(s[1], L'b');
    EXPECT_EQ(s.GetAt(6), L'\0');
    EXPECT_EQ(s[-1], L'\0');
    CString t = s;
    t.SetAt(10, L'x');
    t.SetAt(-1, L'x');
    t.SetAt(5, L'F');
    EXPECT_EQ(t, L"abcdeF");
}

TEST(CString, Searching) {
    const CString s(L"a.b.c");
    EXPECT_EQ(s.Find(L'.'), 1);
    EXPECT_EQ(s.Find(L'.', 2), 3);
    EXPECT_EQ(s.Find(L'.', 4), -1);
    EXPECT_EQ(s.Find(L'x'), -1);
    EXPECT_EQ(s.Find(L'a', -1), -1);
    EXPECT_EQ(s.Find(L'a', 99), -1);
    EXPECT_EQ(s.Find(L"b.c"), 2);
    EXPECT_EQ(s.Find(L"b.c", 3), -1);
    EXPECT_EQ(s.Find(L"", 2), 2);
    EXPECT_EQ(s.Find(kNull), 0);
    EXPECT_EQ(s.ReverseFind(L'.'), 3);
    EXPECT_EQ(s.ReverseFind(L'x'), -1);
    EXPECT_EQ(CString().ReverseFind(L'x'), -1);
    EXPECT_EQ(s.FindOneOf(L"xc."), 1);
    EXPECT_EQ(s.FindOneOf(L"xyz"), -1);

    const CString list(L"  alpha, beta,,gamma ");
    std::vector<CString> tokens;
    int pos = 0;
    for (CString t = list.Tokenize(L", ", pos); pos != -1; t = list.Tokenize(L", ", pos))
        tokens.push_back(t);
    EXPECT_EQ(tokens, (std::vector<CString>{L"alpha", L"beta", L"gamma"}));
    // Without delimiters the rest is one token, and the loop still ends.
    pos = 2;
    EXPECT_EQ(list.Tokenize(kNull, pos), L"alpha, beta,,gamma ");
    EXPECT_TRUE(list.Tokenize(kNull, pos).IsEmpty());
    EXPECT_EQ(pos, -1);
}

TEST(CString, EditingCountsAndClamping) {
    CString s(L"aaaa");
    EXPECT_EQ(s.Replace(L"aa", L"b"), 2);
    EXPECT_EQ(s, L"bb");
    s = L"aaa";
    EXPECT_EQ(s.Replace(L"aa", L"b"), 1); // left to right, no overlap
    EXPECT_EQ(s, L"ba");
    s = L"aXa";
    EXPECT_EQ(s.Replace(L"a", L"aa"), 2); // the replacement is not searched again
    EXPECT_EQ(s, L"aaXaa");
    EXPECT_EQ(s.Replace(L"a", kNull), 4);
    EXPECT_EQ(s, L"X");
    EXPECT_EQ(s.Replace(L"", L"y"), 0);
    EXPECT_EQ(s.Replace(L"q", L"y"), 0);
    s = L"ab";
    EXPECT_EQ(s.Replace(L"b", s.GetString()), 1); // the new text is this very text
    EXPECT_EQ(s, L"aab");

    s = L"a-b-c";
    EXPECT_EQ(s.Replace(L'-', L'+'), 2);
    EXPECT_EQ(s, L"a+b+c");
    EXPECT_EQ(s.Replace(L'+', L'+'), 0);
    EXPECT_EQ(s.Remove(L'+'), 2);
    EXPECT_EQ(s, L"abc");

    EXPECT_EQ(s.Insert(1, L'-'), 4);
    EXPECT_EQ(s.Insert(99, L"!"), 5);
    EXPECT_EQ(s.Insert(-3, L"<"), 6);
    EXPECT_EQ(s, L"<a-bc!");
    EXPECT_EQ(s.Insert(2, s.GetString()), 12);
    EXPECT_EQ(s, L"<a<a-bc!-bc!");
    s = L"<a-bc!";
    EXPECT_EQ(s.Delete(2), 5);
    EXPECT_EQ(s.Delete(3, 99), 3);
    EXPECT_EQ(s.Delete(-1, 1), 2);
    EXPECT_EQ(s.Delete(5, 1), 2);
    EXPECT_EQ(s, L"ab");

    s = L"abc";
    s += s;
    s += L'!';
    s.Append(kNull).AppendChar(L'?');
    EXPECT_EQ(s, L"abcabc!?");
}

TEST(CString, TrimAndCase) {
    CString s(L" \t a b \r\n\u3000");
    EXPECT_EQ(s.Trim(), L"a b");
    s = L"  x  ";
    EXPECT_EQ(s.TrimLeft(), L"x  ");
    EXPECT_EQ(s.TrimRight(), L"x");
    s = L"xxaxx";
    EXPECT_EQ(CString(s).TrimLeft(L'x'), L"axx");
    EXPECT_EQ(CString(s).TrimRight(L'x'), L"xxa");
    EXPECT_EQ(CString(s).Trim(L'x'), L"a");
    s = L"xyxayyx";
    EXPECT_EQ(CString(s).Trim(L"yx"), L"a");
    EXPECT_EQ(CString(s).TrimLeft(L"xy"), L"ayyx");
    EXPECT_EQ(CString(s).TrimRight(L"xy"), L"xyxa");
    EXPECT_EQ(CString(s).Trim(kNull), s);
    EXPECT_EQ(CString(L"xxx").Trim(L'x'), L"");
    EXPECT_EQ(CString(L"   ").Trim(), L"");

    EXPECT_EQ(CString(L"abc \u00E9\u00DF").MakeUpper(), L"ABC \u00C9\u00DF");
    EXPECT_EQ(CString(L"ABC \u00C9\u0130").MakeLower().GetLength(), 6);
    EXPECT_EQ(CString(L"ABC \u00C9").MakeLower(), L"abc \u00E9");
    EXPECT_EQ(CString(L"abc").MakeReverse(), L"cba");

    EXPECT_EQ(CString(L"Abc").CompareNoCase(L"aBC"), 0);
    EXPECT_EQ(CString(L"\u00C4\u00D6").CompareNoCase(L"\u00E4\u00F6"), 0);
    EXPECT_LT(CString(L"abc").CompareNoCase(L"ABD"), 0);
    EXPECT_GT(CString(L"abcd").CompareNoCase(L"ABC"), 0);
    // Case is folded to lower case, as Windows does: '_' sorts before letters.
    EXPECT_LT(CString(L"_").CompareNoCase(L"A"), 0);
    EXPECT_GT(CString(L"a").CompareNoCase(kNull), 0);
    EXPECT_EQ(CString().CompareNoCase(kNull), 0);
    EXPECT_LT(CString(L"B").Compare(L"a"), 0);
    EXPECT_EQ(CString(L"a").Compare(L"a"), 0);
}

TEST(CString, OperatorsAndComparisons) {
    const CString a(L"abc");
    const CString b(L"abd");
    EXPECT_TRUE(a == L"abc");
    EXPECT_TRUE(L"abc" == a);
    EXPECT_TRUE(a != b);
    EXPECT_TRUE(a != L"x");
    EXPECT_TRUE(a < b);
    EXPECT_TRUE(a < L"abd");
    EXPECT_TRUE(L"abb" < a);
    EXPECT_TRUE(b >= a);
    EXPECT_TRUE(CString() == kNull);
    EXPECT_FALSE(a == kNull);
    std::set<CString> sorted{b, a, CString(L"a")};
    EXPECT_EQ(*sorted.begin(), L"a");

    EXPECT_EQ(a + b, L"abcabd");
    EXPECT_EQ(a + L"!", L"abc!");
    EXPECT_EQ(L"<" + a, L"<abc");
    EXPECT_EQ(a + L'.', L"abc.");
    EXPECT_EQ(L'.' + a, L".abc");
    EXPECT_EQ(CString(L"x") + kNull + a, L"xabc");
    EXPECT_EQ(kNull + a, L"abc");
    EXPECT_EQ(a, L"abc"); // the operands are untouched
}

// Windows calls write into the buffer and the string takes their length.
TEST(CString, BufferRoundTrip) {
    CString s(L"abc");
    wchar_t* p = s.GetBuffer(520);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::wcscmp(p, L"abc"), 0); // the old text is kept
    std::wcscpy(p, L"/opt/zarvex/host");
    p[519] = L'x'; // the whole requested size is writable
    s.ReleaseBuffer();
    EXPECT_EQ(s, L"/opt/zarvex/host");
    EXPECT_EQ(s.GetLength(), 16);

    // A smaller request than the text keeps the text.
    s.GetBuffer(2);
    s.ReleaseBuffer();
    EXPECT_EQ(s, L"/opt/zarvex/host");
    s.GetBuffer(0);
    s.ReleaseBuffer(4);
    EXPECT_EQ(s, L"/opt");
    s.ReleaseBuffer(99);
    EXPECT_EQ(s, L"/opt");

    // Filled to the last character without a terminator.
    p = s.GetBufferSetLength(3);
    std::wmemcpy(p, L"xyz", 3);
    s.ReleaseBuffer();
    EXPECT_EQ(s, L"xyz");
    p = s.GetBufferSetLength(5);
    p[0] = L'q';
    p[1] = L'\0';
    s.ReleaseBufferSetLength(5);
    EXPECT_EQ(s.GetLength(), 5);
    s.ReleaseBuffer(-1);
    EXPECT_EQ(s, L"q");
}

TEST(CString, QtAndUtf8Conversions) {
    const CString s(L"a\u00E9\U0001F600\u20AC");
    const QString q = s.ToQString();
    EXPECT_EQ(q.size(), 5); // the smiley is a surrogate pair in UTF-16
    EXPECT_EQ(q, QString::fromUtf8("a\xC3\xA9\xF0\x9F\x98\x80\xE2\x82\xAC"));
    EXPECT_EQ(CString::FromQString(q), s);
    EXPECT_EQ(CString(q), s);

    QString broken = QStringLiteral("x");
    broken.append(QChar(0xD800));
    EXPECT_EQ(CString::FromQString(broken), L"x\uFFFD");
    EXPECT_TRUE(CString::FromQString(QString()).IsEmpty());

    EXPECT_EQ(s.ToUtf8(), "a\xC3\xA9\xF0\x9F\x98\x80\xE2\x82\xAC");
    EXPECT_EQ(CString::FromUtf8(s.ToUtf8()), s);
    EXPECT_EQ(CString::FromUtf8("\xFF"), L"\uFFFD");
}

// Format by the Windows rules, with arguments forwarded as MFC callers pass
// them: CString objects directly, and the target itself among them.
TEST(CString, Format) {
    CString s;
    const CString name(L"Tuner \u00E9");
    const std::wstring path(L"/tmp");
    s.Format(L"[%s] [%s] [%S] [%c]", name, path, "narrow", L'A');
    EXPECT_EQ(s, L"[Tuner \u00E9] [/tmp] [narrow] [A]");

    s.Format(L"<%s>", s); // formatting into the text it reads
    EXPECT_EQ(s, L"<[Tuner \u00E9] [/tmp] [narrow] [A]>");

    s = L"x";
    s.AppendFormat(L"%05.1f|%-5d|%#x|%%", -2.5, 42, 255u);
    EXPECT_EQ(s, L"x-02.5|42   |0xff|%");
    s.AppendFormat(L"%s", s);
    EXPECT_EQ(s, L"x-02.5|42   |0xff|%x-02.5|42   |0xff|%");

    const wchar_t text[] = L"array";
    s.Format(L"%s %d %d", text, true, static_cast<short>(-3));
    EXPECT_EQ(s, L"array 1 -3");
    s.Format(L"no arguments %%");
    EXPECT_EQ(s, L"no arguments %");

    EXPECT_EQ(FormatThroughV(L"0x%08X", 0xBEEFu), L"0x0000BEEF");
}
