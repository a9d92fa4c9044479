#pragma once
// CString: the wide string every text of the library travels in.

#include "platform/WinTypes.h"

#include <string>

class QString;

class CString {
public:
    CString() = default;
    CString(const wchar_t* s) : m_str(s ? s : L"") {}
    CString(const wchar_t* s, int length) : m_str(s ? std::wstring(s, static_cast<size_t>(length)) : std::wstring()) {}
    CString(std::wstring s) : m_str(std::move(s)) {}

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    const wchar_t* GetString() const { return m_str.c_str(); }
    operator const wchar_t*() const { return m_str.c_str(); }

    const std::wstring& str() const { return m_str; }

private:
    std::wstring m_str;
};
