#pragma once
// The byte-level encoding of the GDB remote serial protocol: a packet travels
// as "$data#cc", cc being the two hexadecimal digits of the modulo-256 sum of
// the data bytes. Memory travels as hexadecimal pairs ('m', 'M') or as raw
// bytes ('X') in which '#', '$', '}' and '*' are sent as '}' followed by the
// byte XOR 0x20. Plain C++ without platform dependencies, so that the fuzz
// target compiles it in as it is.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace gdbremote {

std::uint8_t Checksum(std::string_view data);

// Building a frame in place: BeginFrame appends '$' and returns where the
// data starts; EndFrame appends '#' and the checksum of what came after.
size_t BeginFrame(std::string& out);
void EndFrame(std::string& out, size_t dataStart);
void AppendFrame(std::string& out, std::string_view data);

void AppendHex(std::string& out, const std::uint8_t* bytes, size_t size);
// Lower-case digits without leading zeros, as GDB writes addresses and lengths.
void AppendHexNumber(std::string& out, std::uint64_t value);

// Decodes exactly hex.size() / 2 bytes; false for an odd length or a
// character that is not a hexadecimal digit (out may then be partly written).
bool DecodeHex(std::string_view hex, std::uint8_t* out);
// A hexadecimal number of at most 16 digits; false for anything else.
bool ParseHexNumber(std::string_view text, std::uint64_t& value);

inline bool NeedsEscape(std::uint8_t byte) {
    return byte == '#' || byte == '$' || byte == '}' || byte == '*';
}
void AppendEscaped(std::string& out, const std::uint8_t* bytes, size_t size);

} // namespace gdbremote
