#pragma once
// CString: the wide string every text of the library travels in, with the
// operations of MFC's CStringW. Positions and lengths are ints and are clamped
// to the text: out-of-range arguments give a shorter or empty result, never a
// crash. A null const wchar_t* is the empty text everywhere.

#include "platform/WinTypes.h"

#include <compare>
#include <cstdarg>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

class QString;
class CString;

namespace zx {
// How an argument of CString::Format travels through C varargs: a CString or
// std::wstring as its text pointer (as MFC's layout lets one pass a CString),
// anything else unchanged. Class types that C varargs would garble are
// refused at compile time.
template <class T> auto FormatVarArg(const T& v) {
    if constexpr (std::is_same_v<T, CString> || std::is_same_v<T, std::wstring>)
        return v.c_str();
    else if constexpr (std::is_array_v<T>)
        return static_cast<const std::remove_extent_t<T>*>(v);
    else {
        static_assert(std::is_trivially_copyable_v<T>,
                      "pass texts to Format as const wchar_t* or CString");
        return v;
    }
}
} // namespace zx

class CString {
public:
    CString() = default;
    CString(const wchar_t* s) : m_str(s ? s : L"") {}
    CString(const wchar_t* s, int length)
        : m_str(s && length > 0 ? std::wstring(s, static_cast<size_t>(length)) : std::wstring()) {}
    explicit CString(wchar_t ch, int repeat = 1)
        : m_str(repeat > 0 ? static_cast<size_t>(repeat) : 0, ch) {}
    CString(std::wstring s) noexcept : m_str(std::move(s)) {}
    explicit CString(const QString& s);

    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(const wchar_t* s);
    CString& operator=(wchar_t ch);

    // Size and access
    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    const wchar_t* GetString() const { return m_str.c_str(); }
    const wchar_t* c_str() const { return m_str.c_str(); }
    operator const wchar_t*() const { return m_str.c_str(); }
    const std::wstring& str() const { return m_str; }
    // The character at index, or 0 outside the text.
    wchar_t GetAt(int index) const {
        return index >= 0 && index < GetLength() ? m_str[static_cast<size_t>(index)] : L'\0';
    }
    wchar_t operator[](int index) const { return GetAt(index); }
    // Ignored outside the text.
    void SetAt(int index, wchar_t ch);

    // Writing through a buffer, for calls that fill a caller's array.
    // GetBuffer keeps the text and makes room for at least minLength
    // characters (and a terminator); ReleaseBuffer(-1) ends the text at its
    // first NUL, ReleaseBuffer(n) at n characters.
    wchar_t* GetBuffer(int minLength = 0);
    wchar_t* GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);
    void ReleaseBufferSetLength(int newLength) { ReleaseBuffer(newLength < 0 ? 0 : newLength); }

    // Formatting by the Windows printf rules (see platform/WinFormat.h).
    template <class... Args> void Format(const wchar_t* fmt, const Args&... args) {
        FormatRaw(false, fmt, zx::FormatVarArg(args)...);
    }
    template <class... Args> void AppendFormat(const wchar_t* fmt, const Args&... args) {
        FormatRaw(true, fmt, zx::FormatVarArg(args)...);
    }
    void FormatV(const wchar_t* fmt, va_list args);
    void AppendFormatV(const wchar_t* fmt, va_list args);

    // The string resource with that id, from the current resource module or
    // else the executable, as MFC looks it up; FALSE (and the text unchanged)
    // when neither has it.
    BOOL LoadString(UINT id);

    // Searching: positions, or -1 when absent or start is outside the text.
    int Find(wchar_t ch, int start = 0) const;
    int Find(const wchar_t* sub, int start = 0) const;
    int ReverseFind(wchar_t ch) const;
    int FindOneOf(const wchar_t* chars) const;

    // Extraction, clamped to the text.
    CString Left(int count) const;
    CString Right(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString SpanIncluding(const wchar_t* chars) const;
    CString SpanExcluding(const wchar_t* chars) const;
    // The next token after start, skipping leading delimiters; start moves
    // past the token's delimiter, and becomes -1 (with an empty result) when
    // no token is left.
    CString Tokenize(const wchar_t* delimiters, int& start) const;

    // Editing. Replace and Remove return how many were replaced or removed
    // (patterns are replaced left to right without overlap); Insert and
    // Delete return the new length.
    int Replace(wchar_t oldCh, wchar_t newCh);
    int Replace(const wchar_t* oldText, const wchar_t* newText);
    int Remove(wchar_t ch);
    int Insert(int index, wchar_t ch);
    int Insert(int index, const wchar_t* text);
    int Delete(int index, int count = 1);
    CString& Append(const wchar_t* text);
    CString& Append(const CString& text) { return Append(text.m_str); }
    CString& Append(const std::wstring& text);
    CString& AppendChar(wchar_t ch);
    void SetString(const wchar_t* s) { *this = s; }
    void SetString(const wchar_t* s, int length) { *this = CString(s, length); }

    // Trimming: white space, one character, or any character of a set.
    CString& Trim();
    CString& Trim(wchar_t ch);
    CString& Trim(const wchar_t* chars);
    CString& TrimLeft();
    CString& TrimLeft(wchar_t ch);
    CString& TrimLeft(const wchar_t* chars);
    CString& TrimRight();
    CString& TrimRight(wchar_t ch);
    CString& TrimRight(const wchar_t* chars);

    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();

    // Comparison: negative, zero or positive. CompareNoCase folds case by
    // Unicode's simple lower-case mapping.
    int Compare(const wchar_t* s) const;
    int CompareNoCase(const wchar_t* s) const;

    CString& operator+=(const CString& s) { return Append(s); }
    CString& operator+=(const wchar_t* s) { return Append(s); }
    CString& operator+=(wchar_t ch) { return AppendChar(ch); }

    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const wchar_t* b) { return a.Compare(b) == 0; }
    friend std::strong_ordering operator<=>(const CString& a, const CString& b) {
        return a.m_str.compare(b.m_str) <=> 0;
    }
    friend std::strong_ordering operator<=>(const CString& a, const wchar_t* b) {
        return a.Compare(b) <=> 0;
    }

    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(CString&& a, const CString& b);
    friend CString operator+(const CString& a, const wchar_t* b);
    friend CString operator+(CString&& a, const wchar_t* b);
    friend CString operator+(const wchar_t* a, const CString& b);
    friend CString operator+(const CString& a, wchar_t b);
    friend CString operator+(CString&& a, wchar_t b);
    friend CString operator+(wchar_t a, const CString& b);

    // Conversions
    QString ToQString() const;
    static CString FromQString(const QString& s);
    std::string ToUtf8() const;
    static CString FromUtf8(std::string_view s);

private:
    void FormatRaw(bool append, const wchar_t* fmt, ...);

    std::wstring m_str;
};
