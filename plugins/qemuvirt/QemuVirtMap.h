#pragma once
// QEMU's Arm "virt" machine as qemuvirt.ctp describes it: its platform index,
// the link that reaches it (gdbremote.ctc with its QEMU virt preset) and the
// addresses applications use on it.
//
// An application that runs on it declares, in its t_SUPPORTED_PLATFORM entry,
// uPlatformIndex = QEMUVIRT_PLATFORM_INDEX, uCommsIndex = QEMUVIRT_COMMS_INDEX
// and dwCommsParameter = QEMUVIRT_COMMS_PARAMETER. The machine is started
// with its gdbstub (docs/gdbremote.md); the link reaches its peripherals by
// physical address.

#define QEMUVIRT_PLATFORM_INDEX 1u
// gdbremote.ctc (GDBREMOTE_API_INDEX) with its QEMU virt preset
// (GDBREMOTE_PRESET_QEMU_VIRT).
#define QEMUVIRT_COMMS_INDEX 1u
#define QEMUVIRT_COMMS_PARAMETER 1u

// Memory map (the machine's defaults: 128 MiB of RAM).
#define QEMUVIRT_FLASH 0x00000000u // two 64 MiB banks
#define QEMUVIRT_GIC_DIST 0x08000000u
#define QEMUVIRT_GIC_CPU 0x08010000u
#define QEMUVIRT_RTC 0x09010000u  // PL031
#define QEMUVIRT_GPIO 0x09030000u // PL061
#define QEMUVIRT_RAM 0x40000000u
#define QEMUVIRT_RAM_BYTES 0x08000000u

// The first PL011 UART, whose masked interrupt status and interrupt mask
// registers are the link preset's parent interrupt registers: parent
// interrupt bits are the UART's interrupt bits.
#define QEMUVIRT_UART0 0x09000000u
#define QEMUVIRT_UART_DR (QEMUVIRT_UART0 + 0x000u)
#define QEMUVIRT_UART_IMSC (QEMUVIRT_UART0 + 0x038u)
#define QEMUVIRT_UART_RIS (QEMUVIRT_UART0 + 0x03Cu)
#define QEMUVIRT_UART_MIS (QEMUVIRT_UART0 + 0x040u)
#define QEMUVIRT_UART_ICR (QEMUVIRT_UART0 + 0x044u)
#define QEMUVIRT_UART_PERIPHID0 (QEMUVIRT_UART0 + 0xFE0u) // eight id words
#define QEMUVIRT_UART_RXIM 0x10u
#define QEMUVIRT_UART_TXIM 0x20u
