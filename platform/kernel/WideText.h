#pragma once
// Conversions between the library's wide strings (wchar_t is UTF-32 here) and
// the encodings texts arrive in: UTF-16 resources, 8-bit texts in the Windows
// ANSI code page (Windows-1252), and UTF-8 from Linux and Qt.
// None of them throws on bad input: what cannot be decoded becomes U+FFFD.

#include <cstddef>
#include <string>
#include <string_view>

namespace zx {

// UTF-16 code units (resource strings) to wide; unpaired surrogates become U+FFFD.
std::wstring Utf16ToWide(const char16_t* s, size_t n);
// Wide to UTF-16; values that are no Unicode scalar value become U+FFFD.
std::u16string WideToUtf16(std::wstring_view s);

// Windows-1252 bytes to wide, stopping at the first NUL within n. The five
// bytes the code page leaves undefined map to the C1 controls of the same
// value, as Windows maps them.
std::wstring AnsiToWide(const char* s, size_t n);
// Wide to Windows-1252; characters the code page cannot hold become '?'.
std::string WideToAnsi(std::wstring_view s);

// UTF-8 to wide; every maximal invalid subsequence becomes one U+FFFD.
std::wstring Utf8ToWide(std::string_view s);
// Wide to UTF-8; values that are no Unicode scalar value become U+FFFD.
std::string WideToUtf8(std::wstring_view s);

// A narrow text of unknown origin (C strings handed to "%S"): UTF-8 where the
// bytes form UTF-8, each other byte read as Windows-1252. Source literals and
// Linux messages are UTF-8, while texts kept from Windows are usually 1252.
std::wstring NarrowToWide(std::string_view s);
// Appends the conversion of NarrowToWide to out, stopping after maxChars
// wide characters.
void AppendNarrowToWide(std::wstring& out, std::string_view s, size_t maxChars);

// The Windows-1252 character of one byte.
wchar_t AnsiCharToWide(unsigned char c);

// Equal but for letter case, as Windows compares class names and keys.
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);

} // namespace zx
