#include "platform/WideText.h"

#include <cwctype>

#include <cstdint>

namespace zx {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Windows-1252 at 0x80..0x9F; the rest of the code page is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsScalarValue(std::uint32_t c) {
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

std::uint32_t ScalarOrReplacement(wchar_t c) {
    const auto v = static_cast<std::uint32_t>(c);
    return IsScalarValue(v) ? v : kReplacement;
}

// Decodes one UTF-8 sequence at s[i]. Returns the number of bytes it takes
// and stores the code point, or returns 0 with `bad` set to the length of the
// maximal invalid subpart (at least 1) when the bytes are no valid UTF-8.
size_t DecodeUtf8(std::string_view s, size_t i, char32_t& cp, size_t& bad) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
        cp = b;
        return 1;
    }
    size_t len;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        len = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3;
        if (b == 0xE0)
            lo = 0xA0; // overlong
        else if (b == 0xED)
            hi = 0x9F; // surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4;
        if (b == 0xF0)
            lo = 0x90; // overlong
        else if (b == 0xF4)
            hi = 0x8F; // above U+10FFFF
    } else {
        bad = 1;
        return 0;
    }
    char32_t v = b & (0x7F >> len);
    for (size_t j = 1; j < len; ++j) {
        if (i + j >= s.size()) {
            bad = j;
            return 0;
        }
        const auto c = static_cast<unsigned char>(s[i + j]);
        if (c < lo || c > hi) {
            bad = j;
            return 0;
        }
        lo = 0x80;
        hi = 0xBF;
        v = (v << 6) | (c & 0x3F);
    }
    cp = v;
    return len;
}

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

} // namespace

wchar_t AnsiCharToWide(unsigned char c) {
    if (c >= 0x80 && c < 0xA0)
        return static_cast<wchar_t>(kCp1252High[c - 0x80]);
    return static_cast<wchar_t>(c);
}

std::wstring Utf16ToWide(const char16_t* s, size_t n) {
    std::wstring out;
    if (!s)
        return out;
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        const char16_t u = s[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            const char32_t c = 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) +
                               (static_cast<char32_t>(s[i + 1]) - 0xDC00);
            out.push_back(static_cast<wchar_t>(c));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            out.push_back(static_cast<wchar_t>(kReplacement));
        } else {
            out.push_back(static_cast<wchar_t>(u));
        }
    }
    return out;
}

std::u16string WideToUtf16(std::wstring_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (const wchar_t wc : s) {
        const std::uint32_t c = ScalarOrReplacement(wc);
        if (c < 0x10000) {
            out.push_back(static_cast<char16_t>(c));
        } else {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    return out;
}

std::wstring AnsiToWide(const char* s, size_t n) {
    std::wstring out;
    if (!s)
        return out;
    size_t len = 0;
    while (len < n && s[len] != '\0')
        ++len;
    out.resize(len);
    for (size_t i = 0; i < len; ++i)
        out[i] = AnsiCharToWide(static_cast<unsigned char>(s[i]));
    return out;
}

std::string WideToAnsi(std::wstring_view s) {
    std::string out;
    out.reserve(s.size());
    for (const wchar_t wc : s) {
        const auto c = static_cast<std::uint32_t>(wc);
        char b = '?';
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            b = static_cast<char>(c);
        } else {
            for (unsigned i = 0; i < 32; ++i) {
                if (kCp1252High[i] == c) {
                    b = static_cast<char>(0x80 + i);
                    break;
                }
            }
        }
        out.push_back(b);
    }
    return out;
}

std::wstring Utf8ToWide(std::string_view s) {
    std::wstring out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        char32_t cp;
        size_t bad = 0;
        if (const size_t len = DecodeUtf8(s, i, cp, bad)) {
            out.push_back(static_cast<wchar_t>(cp));
            i += len;
        } else {
            out.push_back(static_cast<wchar_t>(kReplacement));
            i += bad;
        }
    }
    return out;
}

std::string WideToUtf8(std::wstring_view s) {
    std::string out;
    out.reserve(s.size());
    for (const wchar_t wc : s)
        AppendUtf8(out, ScalarOrReplacement(wc));
    return out;
}

void AppendNarrowToWide(std::wstring& out, std::string_view s, size_t maxChars) {
    size_t i = 0;
    for (size_t n = 0; i < s.size() && n < maxChars; ++n) {
        char32_t cp;
        size_t bad = 0;
        if (const size_t len = DecodeUtf8(s, i, cp, bad)) {
            out.push_back(static_cast<wchar_t>(cp));
            i += len;
        } else {
            out.push_back(AnsiCharToWide(static_cast<unsigned char>(s[i])));
            ++i;
        }
    }
}

std::wstring NarrowToWide(std::string_view s) {
    std::wstring out;
    out.reserve(s.size());
    AppendNarrowToWide(out, s, s.size());
    return out;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i])))
            return false;
    }
    return true;
}

} // namespace zx
