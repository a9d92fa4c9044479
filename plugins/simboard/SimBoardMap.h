#pragma once
// The simulated board of simboard.ctc: its memory map, its own I2C command
// codes and the value that marks a failed access. Tests and applications
// that run on the simulated board include this header.
//
// Memory map (32-bit byte addresses; every access is one aligned 32-bit word):
//
//   0x00000000 .. RAM size - 1       RAM, zero at start (16 MiB by default)
//   0x40000000 + 0x1000 * b          register bank b (0 <= b < banks), 1024
//                                    registers each, zero at start (4 banks)
//   0x50000000  INTC_STATUS   (read) parent interrupt status: bit n is set
//                                    when vector n has a pending source and
//                                    parent n is enabled
//   0x50000004  INTC_ENABLE   (r/w)  parent interrupt enable bits (0 at start)
//   0x50000008  INTC_RAW      (read) bit n: vector n has a pending source
//   0x50000100 + 4 * n  VECTOR[n]    (n < 32) pending sources of parent n;
//                                    writing 1 bits clears those sources
//   0x50000200 + 4 * n  RAISE[n]     simulator control: writing bits raises
//                                    those sources in VECTOR[n]; reads 0
//   0x50000300  SIM_ID        (read) SIMBOARD_ID
//
// Single reads return (word & dwMask) in dwData; single writes change only
// the bits of dwMask (word = word & ~mask | data & mask). On a vector the
// written (data & mask) bits are cleared, on RAISE they are raised. Bursts
// move dwCount words to or from RAM or one register bank and must lie wholly
// inside it.
//
// Anything else fails: an address outside the map, an unaligned address, a
// burst of 0 words, a burst without a buffer or one that leaves its region,
// an I2C transfer to a missing device or of a bad length. The record is then
// completed as usual (waiting requests never hang) with dwData set to
// SIMBOARD_BUS_ERROR, and a red line (colour 0x000000FF) is printed.
//
// The 32-bit communications parameter given to Attach chooses the sizes:
//   bits 0-11   RAM size in MiB, 1..1024 (0: 16 MiB)
//   bits 12-15  number of register banks, 1..15 (0: 4 banks)
//   bits 16-31  must be 0
// Any other parameter makes the worker's initialisation fail.
//
// I2C (the board's own command codes, in the same record, message 1032):
//   uCommand   SIMBOARD_CMD_I2C_WRITE or SIMBOARD_CMD_I2C_READ
//   dwAddress  7-bit device address
//   dwMask     sub-address (0..255), or SIMBOARD_I2C_NO_SUBADDRESS
//   dwCount    bytes to transfer, 1..4
//   dwData     the bytes, first byte in bits 0-7 (write: given; read: result)
// Devices keep a byte pointer that advances with every byte and wraps around.
// A sub-address sets the pointer first; a write without one takes its first
// byte as the new pointer (as EEPROMs do) and writes the rest.
//   0x50  EEPROM, 256 bytes (0xFF at start)
//   0x60  register file, 16 byte registers (0 at start)

#include "platform/WinTypes.h"

#define SIMBOARD_API_INDEX 0

#define SIMBOARD_BUS_ERROR 0xDEADC0DEu

#define SIMBOARD_RAM_BASE 0x00000000u
#define SIMBOARD_RAM_DEFAULT_MIB 16u
#define SIMBOARD_RAM_MAX_MIB 1024u
#define SIMBOARD_BANK_BASE 0x40000000u
#define SIMBOARD_BANK_STRIDE 0x1000u
#define SIMBOARD_BANK_REGISTERS 1024u
#define SIMBOARD_BANKS_DEFAULT 4u
#define SIMBOARD_BANKS_MAX 15u

#define SIMBOARD_INTC_BASE 0x50000000u
#define SIMBOARD_INTC_STATUS 0x50000000u
#define SIMBOARD_INTC_ENABLE 0x50000004u
#define SIMBOARD_INTC_RAW 0x50000008u
#define SIMBOARD_INTC_VECTOR(n) (0x50000100u + 4u * (n))
#define SIMBOARD_INTC_RAISE(n) (0x50000200u + 4u * (n))
#define SIMBOARD_SIM_ID 0x50000300u
#define SIMBOARD_ID 0x51B0A4D0u
#define SIMBOARD_PARENT_INTERRUPTS 32u

#define SIMBOARD_PARAMETER(ramMiB, banks) (((ramMiB)&0xFFFu) | (((banks)&0xFu) << 12))

#define SIMBOARD_CMD_I2C_WRITE 0x10u
#define SIMBOARD_CMD_I2C_READ 0x11u
#define SIMBOARD_I2C_NO_SUBADDRESS 0xFFFFFFFFu
#define SIMBOARD_I2C_EEPROM 0x50u
#define SIMBOARD_I2C_EEPROM_BYTES 256u
#define SIMBOARD_I2C_REGFILE 0x60u
#define SIMBOARD_I2C_REGFILE_BYTES 16u
