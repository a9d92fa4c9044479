#pragma once
// printf-style formatting of wide texts by the Windows rules, which plug-in
// and library format strings are written for (glibc's differ):
//   %s %c    a wide text / character (%hs %hc narrow, %ls %lc %ws %wc wide)
//   %S %C    a narrow text / character (%lS %lC wide)
//   %d %i %u %o %x %X %p %f %F %e %E %g %G %a %A %n %%
//   flags - + space 0 #, width and precision (also *), and the lengths
//   hh h l ll L I I32 I64 z j t w. `l` is 32 bits, as on Windows.
// Narrow texts are decoded as UTF-8, bytes that are no UTF-8 as Windows-1252;
// their precision counts bytes. A null text prints "(null)". %p prints 16
// upper-case hex digits. %n writes nothing. An unknown conversion is copied
// through literally. Widths and precisions are limited to 100000.

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zx {

// Formats with C variadic arguments; `args` itself is left untouched.
std::wstring FormatV(const wchar_t* fmt, va_list args);
void AppendFormatV(std::wstring& out, const wchar_t* fmt, va_list args);

// Formats with `count` pointer-sized arguments, as the diagnostic log gets
// them: each is read as its conversion says, a text (%s, %S) as a pointer, a
// number as its low 32 bits unless the length asks for 64 (ll, I64, I, z), a
// floating-point value as the bits of a double. Conversions (and `*`) beyond
// the last argument produce nothing. Text pointers are trusted.
std::wstring FormatArgs(const wchar_t* fmt, const std::uintptr_t* args, size_t count);
void AppendFormatArgs(std::wstring& out, const wchar_t* fmt, const std::uintptr_t* args,
                      size_t count);

// As AppendFormatArgs, but every text argument is first measured by a read
// whose fault is caught. Returns false, with `out` as it was, when a text pointer
// leads to unreadable or misaligned memory: the caller drops the entry.
bool TryAppendFormatArgs(std::wstring& out, const wchar_t* fmt, const std::uintptr_t* args,
                         size_t count);

} // namespace zx
