#pragma once
// Writes .res images back from parsed entries, so that a structure-aware
// mutator can change one resource's data and keep the image well-formed.

#include "platform/ResImage.h"

#include <cstdint>
#include <vector>

namespace zx::fuzz {

class ResWriter {
public:
    ResWriter() { add(ResEntry{}, true); }

    void add(const ResEntry& e, std::span<const BYTE> data) {
        ResEntry copy = e;
        copy.data = data;
        add(copy, false);
    }

    const std::vector<BYTE>& bytes() const { return m_out; }

private:
    void put16(WORD v) {
        m_out.push_back(static_cast<BYTE>(v));
        m_out.push_back(static_cast<BYTE>(v >> 8));
    }
    void put32(DWORD v) {
        put16(static_cast<WORD>(v));
        put16(static_cast<WORD>(v >> 16));
    }
    void pad() {
        while (m_out.size() % 4)
            m_out.push_back(0);
    }
    void putId(const ResId& id) {
        if (id.isOrdinal()) {
            put16(0xFFFF);
            put16(id.ordinal());
            return;
        }
        for (wchar_t c : id.name()) {
            const auto u = static_cast<char32_t>(c);
            if (u >= 0x10000 && u <= 0x10FFFF) {
                put16(static_cast<WORD>(0xD800 + ((u - 0x10000) >> 10)));
                put16(static_cast<WORD>(0xDC00 + ((u - 0x10000) & 0x3FF)));
            } else {
                put16(static_cast<WORD>(u));
            }
        }
        put16(0);
    }
    void add(const ResEntry& e, bool leader) {
        const size_t start = m_out.size();
        put32(static_cast<DWORD>(e.data.size()));
        put32(0); // header size, known below
        putId(e.type);
        putId(e.name);
        pad();
        put32(leader ? 0 : e.dataVersion);
        put16(leader ? 0 : e.memoryFlags);
        put16(leader ? 0 : e.language);
        put32(leader ? 0 : e.version);
        put32(leader ? 0 : e.characteristics);
        const auto header = static_cast<DWORD>(m_out.size() - start);
        for (int i = 0; i < 4; ++i)
            m_out[start + 4 + static_cast<size_t>(i)] = static_cast<BYTE>(header >> (8 * i));
        m_out.insert(m_out.end(), e.data.begin(), e.data.end());
        pad();
    }

    std::vector<BYTE> m_out;
};

} // namespace zx::fuzz
