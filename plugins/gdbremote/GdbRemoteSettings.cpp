#include "GdbRemoteSettings.h"

#include "GdbRemoteMap.h"

#include "cmnctrls/Registry.h"
#include "platform/WideText.h"

#include <array>
#include <cstdlib>
#include <cwctype>

namespace {

constexpr const wchar_t* kKey = L"Software\\Zarvex\\GdbRemote\\";
constexpr const char* kEnvironment = "ZARVEX_GDB_REMOTE";

struct Preset {
    const wchar_t* name;
    const wchar_t* key; // of its settings, under kKey
    const wchar_t* status;
    const wchar_t* mask;
};
// Indexed by the communications parameter.
constexpr Preset kPresets[] = {
    {L"Generic", L"Generic", L"none", L"none"},
    {L"QEMU virt", L"QemuVirt", L"0x09000040", L"0x09000038"}, // the first PL011's MIS and IMSC
};

enum Field {
    kHost,
    kPort,
    kStatus,
    kMask,
    kConnectTimeout,
    kReplyTimeout,
    kInFlight,
    kPhysical,
    kFields
};
constexpr const wchar_t* kNames[kFields] = {L"Host",
                                            L"Port",
                                            L"InterruptStatus",
                                            L"InterruptMask",
                                            L"ConnectTimeoutMs",
                                            L"ReplyTimeoutMs",
                                            L"PacketsInFlight",
                                            L"PhysicalMemory"};

struct Value {
    CString text;
    const wchar_t* source = L"the preset";
};

std::wstring Trimmed(const std::wstring& text) {
    size_t from = 0, to = text.size();
    while (from < to && std::iswspace(text[from]))
        ++from;
    while (to > from && std::iswspace(text[to - 1]))
        --to;
    return text.substr(from, to - from);
}

// Decimal or 0x-prefixed hexadecimal, within [low, high].
bool ParseNumber(const std::wstring& text, DWORD low, DWORD high, DWORD& value) {
    const std::wstring t = Trimmed(text);
    const bool hex = t.size() > 2 && t[0] == L'0' && (t[1] == L'x' || t[1] == L'X');
    const std::wstring digits = hex ? t.substr(2) : t;
    if (digits.empty() || digits.size() > (hex ? 8u : 10u))
        return false;
    unsigned long long v = 0;
    for (const wchar_t c : digits) {
        int d = -1;
        if (c >= L'0' && c <= L'9')
            d = c - L'0';
        else if (hex && std::towlower(c) >= L'a' && std::towlower(c) <= L'f')
            d = static_cast<int>(std::towlower(c) - L'a' + 10);
        if (d < 0)
            return false;
        v = v * (hex ? 16 : 10) + static_cast<unsigned>(d);
    }
    if (v < low || v > high)
        return false;
    value = static_cast<DWORD>(v);
    return true;
}

} // namespace

const wchar_t* CGdbRemoteSettings::PresetName(ULONG preset) {
    return preset < std::size(kPresets) ? kPresets[preset].name : nullptr;
}

bool CGdbRemoteSettings::Load(ULONG preset, std::wstring& problem) {
    const wchar_t* name = PresetName(preset);
    if (!name) {
        problem = L"the platform's communications parameter " + std::to_wstring(preset) +
                  L" names no board preset";
        return false;
    }
    std::array<Value, kFields> values;
    values[kHost].text = L"127.0.0.1";
    values[kPort].text = L"1234";
    values[kStatus].text = kPresets[preset].status;
    values[kMask].text = kPresets[preset].mask;
    values[kConnectTimeout].text = L"2000";
    values[kReplyTimeout].text = L"3000";
    values[kInFlight].text = L"8";
    values[kPhysical].text = L"1";

    // The defaults are written where nothing is saved yet, so the user finds
    // every value to change; then the saved values are read.
    CRegistry registry;
    registry.SetKey((std::wstring(kKey) + kPresets[preset].key).c_str());
    registry.OpenWriteNewKey();
    for (int f = 0; f < kFields; ++f)
        registry.RegistryAccess(kNames[f], values[f].text);
    registry.CloseKey();
    registry.OpenReadKey();
    for (int f = 0; f < kFields; ++f)
        if (registry.RegistryAccess(kNames[f], values[f].text))
            values[f].source = L"the saved settings";
    registry.CloseKey();

    if (const char* environment = std::getenv(kEnvironment)) {
        const std::wstring text = zx::Utf8ToWide(environment);
        size_t at = 0;
        while (at <= text.size()) {
            size_t end = text.find(L';', at);
            if (end == std::wstring::npos)
                end = text.size();
            const std::wstring item = Trimmed(text.substr(at, end - at));
            at = end + 1;
            if (item.empty())
                continue;
            const size_t equals = item.find(L'=');
            int f = 0;
            while (f < kFields && (equals == std::wstring::npos ||
                                   !zx::EqualsNoCase(Trimmed(item.substr(0, equals)), kNames[f])))
                ++f;
            if (f == kFields) {
                problem = L"\"" + item + L"\" in ZARVEX_GDB_REMOTE is not Name=value with a " +
                          L"setting's name";
                return false;
            }
            values[f].text = Trimmed(item.substr(equals + 1)).c_str();
            values[f].source = L"ZARVEX_GDB_REMOTE";
        }
    }

    auto bad = [&](int f, const wchar_t* expected) {
        problem = std::wstring(kNames[f]) + L" \"" + values[f].text.str() + L"\" (from " +
                  values[f].source + L") is not " + expected;
        return false;
    };
    auto address = [&](int f, DWORD& value, bool& present) {
        present = !zx::EqualsNoCase(Trimmed(values[f].text.str()), L"none");
        return !present || ParseNumber(values[f].text.str(), 0, 0xFFFFFFFFu, value);
    };
    m_strHost = Trimmed(values[kHost].text.str()).c_str();
    if (m_strHost.IsEmpty() || m_strHost.GetLength() > 253)
        return bad(kHost, L"a host name or address");
    if (!ParseNumber(values[kPort].text.str(), 1, 65535, m_dwPort))
        return bad(kPort, L"a TCP port (1 to 65535)");
    if (!address(kStatus, m_dwInterruptStatus, m_bStatus))
        return bad(kStatus, L"an address or none");
    if (!address(kMask, m_dwInterruptMask, m_bMask))
        return bad(kMask, L"an address or none");
    if (!ParseNumber(values[kConnectTimeout].text.str(), 10, 600000, m_dwConnectTimeoutMs))
        return bad(kConnectTimeout, L"a time in ms (10 to 600000)");
    if (!ParseNumber(values[kReplyTimeout].text.str(), 10, 600000, m_dwReplyTimeoutMs))
        return bad(kReplyTimeout, L"a time in ms (10 to 600000)");
    if (!ParseNumber(values[kInFlight].text.str(), 1, 64, m_dwPacketsInFlight))
        return bad(kInFlight, L"a number of packets (1 to 64)");
    if (!ParseNumber(values[kPhysical].text.str(), 0, 1, m_dwPhysicalMemory))
        return bad(kPhysical, L"0 or 1");
    return true;
}

CGdbConnection::Options CGdbRemoteSettings::ConnectionOptions() const {
    CGdbConnection::Options options;
    options.host = zx::WideToUtf8(m_strHost.str());
    options.port = m_dwPort;
    options.connectTimeoutMs = m_dwConnectTimeoutMs;
    options.replyTimeoutMs = m_dwReplyTimeoutMs;
    options.packetsInFlight = m_dwPacketsInFlight;
    options.physicalMemory = m_dwPhysicalMemory != 0;
    return options;
}

std::wstring CGdbRemoteSettings::Endpoint() const {
    return m_strHost.str() + L":" + std::to_wstring(m_dwPort);
}
