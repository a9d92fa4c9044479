#pragma once
// CGdbRemoteSettings: where the GDB remote link connects and which registers
// it reads for interrupts.
//
// Each board preset (the communications parameter, GdbRemoteMap.h) gives the
// defaults. The user's saved values replace them: CRegistry key
// "Software\Zarvex\GdbRemote\<preset key>" (Generic, QemuVirt), where the first start
// writes the defaults for the user to change. The environment variable
// ZARVEX_GDB_REMOTE ("Name=value;Name=value", same names) replaces both, for
// scripted runs. Values:
//   Host              name or address of the GDB server (127.0.0.1)
//   Port              its TCP port (1234)
//   InterruptStatus   address of the parent interrupt status register, or none
//   InterruptMask     address of the parent interrupt mask (enable) register,
//                     or none
//   ConnectTimeoutMs  how long connecting may take (2000)
//   ReplyTimeoutMs    how long the server may stay silent (3000)
//   PacketsInFlight   packets sent before the first reply is in (8; 1: none)
//   PhysicalMemory    1: QEMU's physical-address mode where offered (1)
// Numbers are decimal or 0x-prefixed hexadecimal.
//
// Load runs on the user-interface thread (CRegistry).

#include "GdbConnection.h"

#include "platform/String.h"
#include "platform/WinTypes.h"

#include <string>

class CGdbRemoteSettings {
public:
    // The preset's name, or null for a parameter that names none.
    static const wchar_t* PresetName(ULONG preset);

    // False, with the reason in problem, for an unknown preset or a value
    // that cannot be used; the members then hold what could be read.
    bool Load(ULONG preset, std::wstring& problem);

    bool HasInterruptStatus() const { return m_bStatus; }
    bool HasInterruptMask() const { return m_bMask; }
    CGdbConnection::Options ConnectionOptions() const;
    // "host:port", for messages.
    std::wstring Endpoint() const;

    CString m_strHost;
    DWORD m_dwPort = 0;
    DWORD m_dwInterruptStatus = 0;
    DWORD m_dwInterruptMask = 0;
    DWORD m_dwConnectTimeoutMs = 0;
    DWORD m_dwReplyTimeoutMs = 0;
    DWORD m_dwPacketsInFlight = 0;
    DWORD m_dwPhysicalMemory = 0;

private:
    bool m_bStatus = false;
    bool m_bMask = false;
};
