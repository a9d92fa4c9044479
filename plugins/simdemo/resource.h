/* Resource ids of simdemo.cap. Only #define lines: the resource compiler
   reads this file. */
#ifndef SIMDEMO_RESOURCE_H
#define SIMDEMO_RESOURCE_H

#define IDR_DESCRIPTION 101
#define IDR_HWVERSION_TUNER 102
#define IDR_HWVERSION_MEMORY 103
#define IDR_FEATURES 104
#define IDR_BRIEF 105

#define IDS_PAGE_REGISTERS 201
#define IDS_PAGE_INTERRUPTS 202
#define IDS_PAGE_I2C 203

#endif
