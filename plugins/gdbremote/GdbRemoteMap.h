#pragma once
// The GDB remote link, gdbremote.ctc: what applications, platforms and tests
// need to know of it. The user's guide is docs/gdbremote.md.
//
// The link reaches a board through a GDB server over TCP: QEMU's gdbstub,
// OpenOCD, a J-Link GDB server or pyOCD. Single reads and writes are one
// 32-bit word in the target's little-endian order; a write whose mask is
// not 0xFFFFFFFF reads the word, changes the bits of the mask and writes it
// back (a mask of 0 writes nothing). Bursts move dwCount words.
//
// The communications parameter given to Attach selects the board preset:
// the defaults of the link's settings (see CGdbRemoteSettings). Any other
// value makes the worker's initialisation fail.
//
// A request that fails is completed as usual (waiting requests never hang)
// with dwData set to one of the values below, and a red line (colour
// 0x000000FF) is printed. While the connection is lost, requests fail at
// once with GDBREMOTE_LINK_ERROR and only the first says so in red; the
// next start of the application connects again.

#include "platform/WinTypes.h"

#define GDBREMOTE_API_INDEX 1

#define GDBREMOTE_PRESET_GENERIC 0u
#define GDBREMOTE_PRESET_QEMU_VIRT 1u

// No connection, a silent server, or an answer that does not fit the request.
#define GDBREMOTE_LINK_ERROR 0xDEADC0DEu
// The server refused the access with "E NN": NN is in the low byte.
#define GDBREMOTE_TARGET_ERROR(nn) (0xDEADE000u | ((nn)&0xFFu))
// The link has no I2C bus: every I2C request fails with this.
#define GDBREMOTE_NO_I2C 0xDEAD12C0u

// The link's own I2C command codes (the builders make them; the worker
// fails them) and the record that the link answers itself: an interrupt
// poll or re-enable on a board without interrupt registers comes back with
// dwData as it was sent.
#define GDBREMOTE_CMD_I2C_WRITE 0x10u
#define GDBREMOTE_CMD_I2C_READ 0x11u
#define GDBREMOTE_CMD_LOCAL 0x12u

// QEMU's Arm "virt" machine: its first PL011 UART, whose masked interrupt
// status and interrupt mask registers are the preset's interrupt registers,
// and its RAM.
#define GDBREMOTE_VIRT_UART0 0x09000000u
#define GDBREMOTE_VIRT_UART_DR (GDBREMOTE_VIRT_UART0 + 0x000u)
#define GDBREMOTE_VIRT_UART_IMSC (GDBREMOTE_VIRT_UART0 + 0x038u)
#define GDBREMOTE_VIRT_UART_RIS (GDBREMOTE_VIRT_UART0 + 0x03Cu)
#define GDBREMOTE_VIRT_UART_MIS (GDBREMOTE_VIRT_UART0 + 0x040u)
#define GDBREMOTE_VIRT_UART_ICR (GDBREMOTE_VIRT_UART0 + 0x044u)
#define GDBREMOTE_VIRT_UART_PERIPHID0 (GDBREMOTE_VIRT_UART0 + 0xFE0u)
#define GDBREMOTE_VIRT_UART_TXIM 0x20u
#define GDBREMOTE_VIRT_RAM 0x40000000u
