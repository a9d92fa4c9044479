#include "GdbFraming.h"

#include <array>

namespace gdbremote {

namespace {

constexpr char kDigits[] = "0123456789abcdef";

// 0..15 for a hexadecimal digit, 0xFF for anything else.
constexpr std::array<std::uint8_t, 256> MakeHexValues() {
    std::array<std::uint8_t, 256> values{};
    for (auto& v : values)
        v = 0xFF;
    for (int i = 0; i < 10; ++i)
        values['0' + i] = static_cast<std::uint8_t>(i);
    for (int i = 0; i < 6; ++i) {
        values['a' + i] = static_cast<std::uint8_t>(10 + i);
        values['A' + i] = static_cast<std::uint8_t>(10 + i);
    }
    return values;
}
constexpr auto kHexValues = MakeHexValues();

} // namespace

std::uint8_t Checksum(std::string_view data) {
    unsigned sum = 0;
    for (const char c : data)
        sum += static_cast<std::uint8_t>(c);
    return static_cast<std::uint8_t>(sum);
}

size_t BeginFrame(std::string& out) {
    out += '$';
    return out.size();
}

void EndFrame(std::string& out, size_t dataStart) {
    const std::uint8_t sum = Checksum(std::string_view(out).substr(dataStart));
    out += '#';
    out += kDigits[sum >> 4];
    out += kDigits[sum & 15];
}

void AppendFrame(std::string& out, std::string_view data) {
    const size_t start = BeginFrame(out);
    out += data;
    EndFrame(out, start);
}

void AppendHex(std::string& out, const std::uint8_t* bytes, size_t size) {
    const size_t at = out.size();
    out.resize(at + 2 * size);
    char* p = out.data() + at;
    for (size_t i = 0; i < size; ++i) {
        *p++ = kDigits[bytes[i] >> 4];
        *p++ = kDigits[bytes[i] & 15];
    }
}

void AppendHexNumber(std::string& out, std::uint64_t value) {
    char digits[16];
    int n = 0;
    do {
        digits[n++] = kDigits[value & 15];
        value >>= 4;
    } while (value);
    while (n)
        out += digits[--n];
}

bool DecodeHex(std::string_view hex, std::uint8_t* out) {
    if (hex.size() % 2)
        return false;
    const auto* p = reinterpret_cast<const std::uint8_t*>(hex.data());
    for (size_t i = 0; i < hex.size() / 2; ++i) {
        const std::uint8_t hi = kHexValues[p[2 * i]], lo = kHexValues[p[2 * i + 1]];
        if ((hi | lo) & 0xF0)
            return false;
        out[i] = static_cast<std::uint8_t>(hi << 4 | lo);
    }
    return true;
}

bool ParseHexNumber(std::string_view text, std::uint64_t& value) {
    if (text.empty() || text.size() > 16)
        return false;
    std::uint64_t v = 0;
    for (const char c : text) {
        const std::uint8_t digit = kHexValues[static_cast<std::uint8_t>(c)];
        if (digit > 15)
            return false;
        v = v << 4 | digit;
    }
    value = v;
    return true;
}

void AppendEscaped(std::string& out, const std::uint8_t* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        if (NeedsEscape(bytes[i])) {
            out += '}';
            out += static_cast<char>(bytes[i] ^ 0x20);
        } else {
            out += static_cast<char>(bytes[i]);
        }
    }
}

} // namespace gdbremote
