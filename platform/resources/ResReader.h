#pragma once
// ResReader: a bounds-checked little-endian cursor over untrusted resource
// bytes. A read past the end fails, returns zero and leaves the reader failed
// for good, so a parser can read a whole record and check ok() once.

#include "platform/SzOrOrd.h"
#include "platform/WinTypes.h"

#include <cstring>
#include <span>
#include <string>

namespace zx {

class ResReader {
public:
    explicit ResReader(std::span<const BYTE> data, size_t pos = 0)
        : m_data(data), m_pos(pos), m_ok(pos <= data.size()) {}

    bool ok() const { return m_ok; }
    size_t pos() const { return m_pos; }
    size_t size() const { return m_data.size(); }
    size_t remaining() const { return m_ok ? m_data.size() - m_pos : 0; }
    bool atEnd() const { return remaining() == 0; }
    void fail() { m_ok = false; }

    BYTE byte() { return static_cast<BYTE>(little(1)); }
    WORD word() { return static_cast<WORD>(little(2)); }
    DWORD dword() { return static_cast<DWORD>(little(4)); }

    // Skips n bytes; fails when fewer remain.
    bool skip(size_t n);
    // Moves to the next multiple of `to` (counted from the start of the
    // data). Padding missing at the very end of the data is tolerated: the
    // reader then stands at the end.
    bool align(size_t to);
    // The next n bytes; an empty span and failure when fewer remain.
    std::span<const BYTE> bytes(size_t n);

    // A zero-terminated UTF-16 string; fails when the terminator is missing.
    std::wstring sz();
    // A WORD count followed by that many UTF-16 units (string tables).
    std::wstring counted();
    // 0x0000 = none, 0xFFFF + WORD = ordinal, else a zero-terminated string.
    SzOrOrd szOrOrd();

    // UTF-16 units (little-endian, any alignment) to wide characters;
    // unpaired surrogates become U+FFFD.
    static std::wstring wide(const BYTE* units, size_t count);

private:
    DWORD little(size_t n);

    std::span<const BYTE> m_data;
    size_t m_pos;
    bool m_ok;
};

} // namespace zx
