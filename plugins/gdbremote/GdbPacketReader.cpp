#include "GdbPacketReader.h"

#include "GdbFraming.h"

#include <cstdint>
#include <string_view>

CGdbPacketReader::CGdbPacketReader(size_t maxPayload) : m_maxPayload(maxPayload) {}

size_t CGdbPacketReader::TakeGarbage() {
    const size_t n = m_garbage;
    m_garbage = 0;
    return n;
}

void CGdbPacketReader::Reset() {
    m_state = State::Idle;
    m_raw.clear();
}

CGdbPacketReader::Event CGdbPacketReader::Next(const char*& cursor, const char* end) {
    while (cursor < end) {
        switch (m_state) {
        case State::Idle: {
            const char c = *cursor++;
            if (c == '+')
                return Event::Ack;
            if (c == '-')
                return Event::Nak;
            if (c == '$' || c == '%') {
                m_notification = c == '%';
                m_raw.clear();
                m_state = State::Data;
            } else {
                ++m_garbage;
            }
            break;
        }
        case State::Data: {
            // The data up to '#' in one step: most of a packet is plain bytes.
            const char* p = cursor;
            while (p < end && *p != '#' && *p != '$')
                ++p;
            const size_t take = static_cast<size_t>(p - cursor);
            if (m_raw.size() + take > m_maxPayload) {
                m_garbage += m_raw.size() + take + 1;
                m_raw.clear();
                cursor = p;
                m_state = State::Skip;
                return Event::Overflow;
            }
            m_raw.append(cursor, take);
            cursor = p;
            if (p == end)
                break;
            if (*p == '$') {
                // A new packet begins: the unfinished one was noise.
                m_garbage += m_raw.size() + 1;
                m_raw.clear();
                ++cursor;
            } else {
                ++cursor;
                m_state = State::Check1;
            }
            break;
        }
        case State::Check1:
        case State::Check2: {
            const char c = *cursor;
            if (c == '$' || c == '%') {
                // A new packet where the checksum should be: the old one was cut.
                m_garbage += m_raw.size() + 2;
                m_raw.clear();
                m_state = State::Idle;
                break;
            }
            ++cursor;
            if (m_state == State::Check1) {
                m_check[0] = c;
                m_state = State::Check2;
                break;
            }
            m_check[1] = c;
            m_state = State::Idle;
            return Finish();
        }
        case State::Skip: {
            // The rest of an oversized packet, up to its checksum or a new packet.
            const char c = *cursor;
            if (c == '$' || c == '%') {
                m_state = State::Idle;
                break;
            }
            ++cursor;
            ++m_garbage;
            if (c == '#')
                m_state = State::Idle; // the two checksum digits follow as garbage
            break;
        }
        }
    }
    return Event::None;
}

CGdbPacketReader::Event CGdbPacketReader::Finish() {
    std::uint64_t sent = 0;
    if (!gdbremote::ParseHexNumber(std::string_view(m_check, 2), sent) ||
        sent != gdbremote::Checksum(m_raw))
        return Event::BadChecksum;
    if (!Decode())
        return m_payload.size() > m_maxPayload ? Event::Overflow : Event::Malformed;
    return m_notification ? Event::Notification : Event::Packet;
}

bool CGdbPacketReader::Decode() {
    m_payload.clear();
    const size_t n = m_raw.size();
    // Fast path: nothing to expand.
    if (m_raw.find_first_of("}*") == std::string::npos) {
        m_payload = m_raw;
        return true;
    }
    for (size_t i = 0; i < n; ++i) {
        const char c = m_raw[i];
        if (c == '}') {
            if (++i == n)
                return false;
            m_payload += static_cast<char>(m_raw[i] ^ 0x20);
        } else if (c == '*') {
            if (++i == n || m_payload.empty())
                return false;
            const int count = static_cast<std::uint8_t>(m_raw[i]) - 29;
            if (count < 0 || count > 97)
                return false;
            if (m_payload.size() + static_cast<size_t>(count) > m_maxPayload) {
                m_payload.resize(m_maxPayload + 1);
                return false;
            }
            m_payload.append(static_cast<size_t>(count), m_payload.back());
        } else {
            m_payload += c;
        }
    }
    return true;
}
