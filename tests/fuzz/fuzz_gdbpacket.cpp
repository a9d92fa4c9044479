// The GDB remote link's packet reader, over what a server might send: the
// same events whether the bytes come at once or in pieces, every packet
// within the limit, and every packet read back as it was once framed again.

#include "FuzzTarget.h"

#include "plugins/gdbremote/GdbFraming.h"
#include "plugins/gdbremote/GdbPacketReader.h"

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr size_t kLimit = 512;
using Events = std::vector<std::pair<CGdbPacketReader::Event, std::string>>;

Events ReadAll(const char* data, size_t size, size_t piece) {
    CGdbPacketReader reader(kLimit);
    Events events;
    for (size_t at = 0; at < size; at += piece) {
        const char* cursor = data + at;
        const char* end = data + std::min(size, at + piece);
        for (auto e = reader.Next(cursor, end); e != CGdbPacketReader::Event::None;
             e = reader.Next(cursor, end))
            events.emplace_back(e, reader.Payload());
    }
    return events;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* text = reinterpret_cast<const char*>(data);
    const Events whole = ReadAll(text, size, size ? size : 1);
    if (ReadAll(text, size, 1 + size % 7) != whole)
        std::abort();
    for (const auto& [event, payload] : whole) {
        if (event != CGdbPacketReader::Event::Packet &&
            event != CGdbPacketReader::Event::Notification)
            continue;
        if (payload.size() > kLimit)
            std::abort();
        std::string framed = "$";
        gdbremote::AppendEscaped(framed, reinterpret_cast<const std::uint8_t*>(payload.data()),
                                 payload.size());
        gdbremote::EndFrame(framed, 1);
        CGdbPacketReader again(2 * kLimit);
        const char* cursor = framed.data();
        if (again.Next(cursor, framed.data() + framed.size()) != CGdbPacketReader::Event::Packet ||
            again.Payload() != payload || cursor != framed.data() + framed.size())
            std::abort();
        std::vector<std::uint8_t> bytes(payload.size() / 2);
        if (gdbremote::DecodeHex(payload, bytes.data())) {
            std::string hex;
            gdbremote::AppendHex(hex, bytes.data(), bytes.size());
            for (size_t i = 0; i < hex.size(); ++i)
                if (hex[i] != (payload[i] | (payload[i] >= 'A' ? 0x20 : 0)))
                    std::abort();
        }
    }
    return 0;
}
