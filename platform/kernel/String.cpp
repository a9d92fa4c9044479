#include "platform/String.h"

#include "platform/Resources.h"
#include "platform/WideText.h"
#include "platform/WinFormat.h"

#include <QChar>
#include <QString>

#include <algorithm>
#include <cwchar>

namespace {

size_t Clamp(int v, size_t max) {
    if (v <= 0)
        return 0;
    return std::min(static_cast<size_t>(v), max);
}

std::wstring_view View(const wchar_t* s) {
    return s ? std::wstring_view(s) : std::wstring_view();
}

// Unicode's simple case mappings, which keep every text's length as Windows
// does; Qt's tables do not depend on the process's locale.
wchar_t Lower(wchar_t c) {
    return static_cast<wchar_t>(QChar::toLower(static_cast<char32_t>(c)));
}
wchar_t Upper(wchar_t c) {
    return static_cast<wchar_t>(QChar::toUpper(static_cast<char32_t>(c)));
}
bool IsSpace(wchar_t c) {
    return QChar::isSpace(static_cast<char32_t>(c));
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

} // namespace

CString::CString(const QString& s)
    : m_str(zx::Utf16ToWide(reinterpret_cast<const char16_t*>(s.utf16()),
                            static_cast<size_t>(s.size()))) {}

CString& CString::operator=(const wchar_t* s) {
    m_str.assign(View(s));
    return *this;
}

CString& CString::operator=(wchar_t ch) {
    m_str.assign(1, ch);
    return *this;
}

void CString::SetAt(int index, wchar_t ch) {
    if (index >= 0 && index < GetLength())
        m_str[static_cast<size_t>(index)] = ch;
}

wchar_t* CString::GetBuffer(int minLength) {
    if (minLength > 0 && static_cast<size_t>(minLength) > m_str.size())
        m_str.resize(static_cast<size_t>(minLength), L'\0');
    return m_str.data();
}

wchar_t* CString::GetBufferSetLength(int length) {
    m_str.resize(length > 0 ? static_cast<size_t>(length) : 0, L'\0');
    return m_str.data();
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0)
        m_str.resize(wcsnlen(m_str.data(), m_str.size()));
    else
        m_str.resize(std::min(static_cast<size_t>(newLength), m_str.size()));
}

void CString::FormatRaw(bool append, const wchar_t* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    if (append)
        AppendFormatV(fmt, args);
    else
        FormatV(fmt, args);
    va_end(args);
}

void CString::FormatV(const wchar_t* fmt, va_list args) {
    // Formatted into a fresh string: an argument may be this very text.
    std::wstring out;
    out.reserve(fmt ? wcslen(fmt) + 16 : 0);
    zx::AppendFormatV(out, fmt, args);
    m_str = std::move(out);
}

void CString::AppendFormatV(const wchar_t* fmt, va_list args) {
    std::wstring out;
    zx::AppendFormatV(out, fmt, args);
    m_str += out;
}

int CString::Find(wchar_t ch, int start) const {
    if (start < 0 || start > GetLength())
        return -1;
    const size_t at = m_str.find(ch, static_cast<size_t>(start));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::Find(const wchar_t* sub, int start) const {
    if (start < 0 || start > GetLength())
        return -1;
    const size_t at = m_str.find(View(sub), static_cast<size_t>(start));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(wchar_t ch) const {
    const size_t at = m_str.rfind(ch);
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::FindOneOf(const wchar_t* chars) const {
    const std::wstring_view set = View(chars);
    if (set.empty())
        return -1;
    const size_t at = m_str.find_first_of(set);
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

CString CString::Left(int count) const {
    return CString(m_str.substr(0, Clamp(count, m_str.size())));
}

CString CString::Right(int count) const {
    const size_t n = Clamp(count, m_str.size());
    return CString(m_str.substr(m_str.size() - n));
}

CString CString::Mid(int first) const {
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const {
    const size_t from = Clamp(first, m_str.size());
    return CString(m_str.substr(from, Clamp(count, m_str.size() - from)));
}

CString CString::SpanIncluding(const wchar_t* chars) const {
    const size_t end = m_str.find_first_not_of(View(chars));
    return Left(end == std::wstring::npos ? GetLength() : static_cast<int>(end));
}

CString CString::SpanExcluding(const wchar_t* chars) const {
    const std::wstring_view set = View(chars);
    const size_t end = set.empty() ? std::wstring::npos : m_str.find_first_of(set);
    return Left(end == std::wstring::npos ? GetLength() : static_cast<int>(end));
}

CString CString::Tokenize(const wchar_t* delimiters, int& start) const {
    const std::wstring_view set = View(delimiters);
    if (start >= 0 && start < GetLength()) {
        if (set.empty()) {
            CString rest = Mid(start);
            start = GetLength();
            return rest;
        }
        const size_t from = m_str.find_first_not_of(set, static_cast<size_t>(start));
        if (from != std::wstring::npos) {
            size_t end = m_str.find_first_of(set, from);
            if (end == std::wstring::npos)
                end = m_str.size();
            start = static_cast<int>(end) + 1;
            return CString(m_str.substr(from, end - from));
        }
    }
    start = -1;
    return CString();
}

int CString::Replace(wchar_t oldCh, wchar_t newCh) {
    if (oldCh == newCh)
        return 0;
    int count = 0;
    for (wchar_t& c : m_str) {
        if (c == oldCh) {
            c = newCh;
            ++count;
        }
    }
    return count;
}

int CString::Replace(const wchar_t* oldText, const wchar_t* newText) {
    const std::wstring_view from = View(oldText);
    if (from.empty())
        return 0;
    size_t at = m_str.find(from);
    if (at == std::wstring::npos)
        return 0;
    // The replacement may point into this text: keep it apart before editing.
    const std::wstring to(View(newText));
    std::wstring out;
    out.reserve(m_str.size());
    size_t done = 0;
    int count = 0;
    while (at != std::wstring::npos) {
        out.append(m_str, done, at - done);
        out.append(to);
        done = at + from.size();
        ++count;
        at = m_str.find(from, done);
    }
    out.append(m_str, done, std::wstring::npos);
    m_str = std::move(out);
    return count;
}

int CString::Remove(wchar_t ch) {
    const size_t before = m_str.size();
    m_str.erase(std::remove(m_str.begin(), m_str.end(), ch), m_str.end());
    return static_cast<int>(before - m_str.size());
}

int CString::Insert(int index, wchar_t ch) {
    m_str.insert(Clamp(index, m_str.size()), 1, ch);
    return GetLength();
}

int CString::Insert(int index, const wchar_t* text) {
    const std::wstring copy(View(text));
    m_str.insert(Clamp(index, m_str.size()), copy);
    return GetLength();
}

int CString::Delete(int index, int count) {
    const size_t from = Clamp(index, m_str.size());
    m_str.erase(from, Clamp(count, m_str.size() - from));
    return GetLength();
}

CString& CString::Append(const wchar_t* text) {
    m_str.append(View(text));
    return *this;
}

CString& CString::Append(const std::wstring& text) {
    m_str.append(text);
    return *this;
}

CString& CString::AppendChar(wchar_t ch) {
    m_str.push_back(ch);
    return *this;
}

CString& CString::Trim() {
    return TrimRight().TrimLeft();
}
CString& CString::Trim(wchar_t ch) {
    return TrimRight(ch).TrimLeft(ch);
}
CString& CString::Trim(const wchar_t* chars) {
    return TrimRight(chars).TrimLeft(chars);
}

CString& CString::TrimLeft() {
    const auto it = std::find_if_not(m_str.begin(), m_str.end(), IsSpace);
    m_str.erase(m_str.begin(), it);
    return *this;
}

CString& CString::TrimLeft(wchar_t ch) {
    m_str.erase(0, std::min(m_str.find_first_not_of(ch), m_str.size()));
    return *this;
}

CString& CString::TrimLeft(const wchar_t* chars) {
    const std::wstring set(View(chars));
    if (!set.empty())
        m_str.erase(0, std::min(m_str.find_first_not_of(set), m_str.size()));
    return *this;
}

CString& CString::TrimRight() {
    const auto it = std::find_if_not(m_str.rbegin(), m_str.rend(), IsSpace);
    m_str.erase(it.base(), m_str.end());
    return *this;
}

CString& CString::TrimRight(wchar_t ch) {
    const size_t last = m_str.find_last_not_of(ch);
    m_str.resize(last == std::wstring::npos ? 0 : last + 1);
    return *this;
}

CString& CString::TrimRight(const wchar_t* chars) {
    const std::wstring set(View(chars));
    if (set.empty())
        return *this;
    const size_t last = m_str.find_last_not_of(set);
    m_str.resize(last == std::wstring::npos ? 0 : last + 1);
    return *this;
}

CString& CString::MakeUpper() {
    for (wchar_t& c : m_str)
        c = Upper(c);
    return *this;
}

CString& CString::MakeLower() {
    for (wchar_t& c : m_str)
        c = Lower(c);
    return *this;
}

CString& CString::MakeReverse() {
    std::reverse(m_str.begin(), m_str.end());
    return *this;
}

int CString::Compare(const wchar_t* s) const {
    return Sign(m_str.compare(View(s)));
}

int CString::CompareNoCase(const wchar_t* s) const {
    const std::wstring_view other = View(s);
    const size_t n = std::min(m_str.size(), other.size());
    for (size_t i = 0; i < n; ++i) {
        const wchar_t a = Lower(m_str[i]);
        const wchar_t b = Lower(other[i]);
        if (a != b)
            return a < b ? -1 : 1;
    }
    return m_str.size() == other.size() ? 0 : (m_str.size() < other.size() ? -1 : 1);
}

CString operator+(const CString& a, const CString& b) {
    std::wstring s;
    s.reserve(a.m_str.size() + b.m_str.size());
    s.append(a.m_str).append(b.m_str);
    return CString(std::move(s));
}

CString operator+(CString&& a, const CString& b) {
    a.m_str.append(b.m_str);
    return std::move(a);
}

CString operator+(const CString& a, const wchar_t* b) {
    const std::wstring_view v = View(b);
    std::wstring s;
    s.reserve(a.m_str.size() + v.size());
    s.append(a.m_str).append(v);
    return CString(std::move(s));
}

CString operator+(CString&& a, const wchar_t* b) {
    a.m_str.append(View(b));
    return std::move(a);
}

CString operator+(const wchar_t* a, const CString& b) {
    const std::wstring_view v = View(a);
    std::wstring s;
    s.reserve(v.size() + b.m_str.size());
    s.append(v).append(b.m_str);
    return CString(std::move(s));
}

CString operator+(const CString& a, wchar_t b) {
    CString s(a);
    s.m_str.push_back(b);
    return s;
}

CString operator+(CString&& a, wchar_t b) {
    a.m_str.push_back(b);
    return std::move(a);
}

CString operator+(wchar_t a, const CString& b) {
    std::wstring s;
    s.reserve(b.m_str.size() + 1);
    s.push_back(a);
    s.append(b.m_str);
    return CString(std::move(s));
}

QString CString::ToQString() const {
    const std::u16string u = zx::WideToUtf16(m_str);
    return QString(reinterpret_cast<const QChar*>(u.data()), static_cast<qsizetype>(u.size()));
}

CString CString::FromQString(const QString& s) {
    return CString(s);
}

std::string CString::ToUtf8() const {
    return zx::WideToUtf8(m_str);
}

CString CString::FromUtf8(std::string_view s) {
    return CString(zx::Utf8ToWide(s));
}

BOOL CString::LoadString(UINT id) {
    for (HINSTANCE module : {AfxGetResourceHandle(), static_cast<HINSTANCE>(nullptr)}) {
        const wchar_t* text = nullptr;
        const int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
        if (length > 0 && text) {
            m_str.assign(text, static_cast<size_t>(length));
            return TRUE;
        }
    }
    return FALSE;
}
