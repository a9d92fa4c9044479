#include "platform/ResReader.h"

#include "platform/WideText.h"

namespace zx {

DWORD ResReader::little(size_t n) {
    if (!m_ok || m_data.size() - m_pos < n) {
        m_ok = false;
        return 0;
    }
    DWORD value = 0;
    for (size_t i = 0; i < n; ++i)
        value |= static_cast<DWORD>(m_data[m_pos + i]) << (8 * i);
    m_pos += n;
    return value;
}

bool ResReader::skip(size_t n) {
    if (!m_ok || m_data.size() - m_pos < n) {
        m_ok = false;
        return false;
    }
    m_pos += n;
    return true;
}

bool ResReader::align(size_t to) {
    if (!m_ok)
        return false;
    const size_t rest = m_pos % to;
    if (rest == 0)
        return true;
    const size_t pad = to - rest;
    m_pos = (m_data.size() - m_pos < pad) ? m_data.size() : m_pos + pad;
    return true;
}

std::span<const BYTE> ResReader::bytes(size_t n) {
    if (!m_ok || m_data.size() - m_pos < n) {
        m_ok = false;
        return {};
    }
    auto out = m_data.subspan(m_pos, n);
    m_pos += n;
    return out;
}

std::wstring ResReader::sz() {
    if (!m_ok)
        return {};
    const size_t start = m_pos;
    for (size_t p = start; m_data.size() - p >= 2; p += 2) {
        if (m_data[p] == 0 && m_data[p + 1] == 0) {
            m_pos = p + 2;
            return wide(m_data.data() + start, (p - start) / 2);
        }
    }
    m_ok = false;
    return {};
}

std::wstring ResReader::counted() {
    const WORD count = word();
    auto units = bytes(size_t{count} * 2);
    if (!m_ok)
        return {};
    return wide(units.data(), count);
}

SzOrOrd ResReader::szOrOrd() {
    SzOrOrd out;
    if (!m_ok || m_data.size() - m_pos < 2) {
        m_ok = false;
        return out;
    }
    const WORD first = static_cast<WORD>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
    if (first == 0x0000) {
        m_pos += 2;
    } else if (first == 0xFFFF) {
        m_pos += 2;
        out.kind = SzOrOrd::Kind::Ordinal;
        out.ordinal = word();
    } else {
        out.kind = SzOrOrd::Kind::String;
        out.text = sz();
    }
    return out;
}

std::wstring ResReader::wide(const BYTE* units, size_t count) {
    // Resource strings need not be aligned for char16_t: assemble the units.
    std::u16string aligned(count, u'\0');
    for (size_t i = 0; i < count; ++i)
        aligned[i] = static_cast<char16_t>(units[2 * i] | (units[2 * i + 1] << 8));
    return Utf16ToWide(aligned.data(), count);
}

} // namespace zx
