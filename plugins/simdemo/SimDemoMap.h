#pragma once
// What simdemo.cap does on the simulated board (docs/simboard.md), for
// readers of its print lines and for its tests.
//
// Registers page, base 0 = register bank 0, base 1 = register bank 1:
//   bank 0 + 0x000  CONTROL    SIMDEMO_CONTROL_ENABLE written at start
//   bank 0 + 0x004  SCRATCH    SIMDEMO_SCRATCH_PATTERN written at start, then
//                              read back with a call-back and with a wait
//   bank 0 + 0x008  HEARTBEAT  the page's tick count, written and read back
//                              on every timer tick of the run
//   bank 1 + 0x000  SIMDEMO_COEFFICIENTS words written as one burst at start
// RAM + 0: SIMDEMO_DMA_WORDS pseudo-random words written as a burst, read
//   back and verified at every start (the DMA check, its rates printed).
// Interrupts page: parent interrupt SIMDEMO_PARENT of the board's interrupt
//   controller; every pending source is serviced, the simulated data source
//   (SIMDEMO_SOURCE_DATA_READY) is raised every SIMDEMO_RAISE_PERIOD ticks.
// I2C page: SIMDEMO_EEPROM_PATTERN written to the EEPROM at
//   SIMDEMO_EEPROM_ADDRESS and read back; the tuner module set to
//   SIMDEMO_TUNER_KHZ and its registers read back.

#include "plugins/simboard/SimBoardMap.h"

#define SIMDEMO_REG_CONTROL 0x000u
#define SIMDEMO_REG_SCRATCH 0x004u
#define SIMDEMO_REG_HEARTBEAT 0x008u
#define SIMDEMO_CONTROL_ENABLE 0x00000001u
#define SIMDEMO_SCRATCH_PATTERN 0x5A5AA5A5u
#define SIMDEMO_COEFFICIENTS 8u

#define SIMDEMO_DMA_WORDS 4096u

#define SIMDEMO_PARENT 2u
#define SIMDEMO_SOURCE_DATA_READY 0x1u
#define SIMDEMO_SOURCE_OVERFLOW 0x2u
#define SIMDEMO_RAISE_PERIOD 50u

#define SIMDEMO_EEPROM_ADDRESS 0x10u
#define SIMDEMO_EEPROM_PATTERN 0xC0FFEE42u
#define SIMDEMO_TUNER_KHZ 474000u
