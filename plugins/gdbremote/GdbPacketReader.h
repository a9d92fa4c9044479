#pragma once
// CGdbPacketReader: splits the byte stream a GDB server sends into events:
// acknowledgements ('+', '-'), packets ("$data#cc") and notifications
// ("%data#cc"). A packet's data is checked against its checksum and then
// decoded: "}x" stands for x XOR 0x20, and "c*n" for c repeated n - 29 more
// times (run-length encoding). Bytes outside any packet are counted and
// skipped, and a '$' inside a packet abandons the unfinished one, so the
// reader finds its footing again after noise. Nothing a peer sends can make it
// hold more than its limit. Plain C++, compiled into the fuzz target as it is.

#include <cstddef>
#include <string>

class CGdbPacketReader {
public:
    enum class Event {
        None,         // the bytes ran out before an event was complete
        Ack,          // '+'
        Nak,          // '-': the peer asks for the last packet again
        Packet,       // a packet with a good checksum; Payload() holds its data
        Notification, // the same, begun with '%'
        BadChecksum,  // a packet whose checksum does not match its data
        Malformed,    // a good checksum over data that cannot be decoded
        Overflow,     // a packet larger than the limit; its bytes are dropped
    };

    // maxPayload bounds a packet's data both as sent and once decoded.
    explicit CGdbPacketReader(size_t maxPayload);

    // Consumes bytes from [cursor, end) up to the end of the next event and
    // advances cursor past them.
    Event Next(const char*& cursor, const char* end);

    // The decoded data of the last Packet or Notification.
    const std::string& Payload() const { return m_payload; }
    // Bytes skipped outside packets since the last call; resets the count.
    size_t TakeGarbage();
    // Forgets any unfinished packet.
    void Reset();

private:
    enum class State { Idle, Data, Check1, Check2, Skip };
    Event Finish();
    bool Decode();

    size_t m_maxPayload;
    State m_state = State::Idle;
    bool m_notification = false;
    std::string m_raw; // the data as sent, between '$' and '#'
    char m_check[2] = {};
    std::string m_payload;
    size_t m_garbage = 0;
};
