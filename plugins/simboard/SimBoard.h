#pragma once
// CSimBoard: the state of the simulated board (see SimBoardMap.h for its
// map). Touched only by the worker thread of simboard.ctc.

#include "platform/WinTypes.h"

#include <array>
#include <memory>
#include <vector>

class CSimBoard {
public:
    // Sizes from the communications parameter; false for a parameter outside
    // its encoding or memory that cannot be had.
    bool Configure(DWORD parameter);

    // Each returns false for an access the board does not answer.
    bool Read(DWORD address, DWORD mask, DWORD& value);
    bool Write(DWORD address, DWORD data, DWORD mask);
    bool BurstRead(DWORD address, DWORD* buffer, DWORD count);
    bool BurstWrite(DWORD address, const DWORD* buffer, DWORD count);
    bool I2CWrite(DWORD device, DWORD subAddress, DWORD data, DWORD count);
    bool I2CRead(DWORD device, DWORD subAddress, DWORD count, DWORD& data);

    size_t RamBytes() const { return m_ram.size() * sizeof(DWORD); }
    DWORD Banks() const { return m_banks; }

private:
    struct I2CDevice {
        std::vector<BYTE> bytes;
        size_t pointer = 0;
    };
    // The words of RAM or of one register bank holding [address, address +
    // 4 * count), or null.
    DWORD* Words(DWORD address, DWORD count);
    I2CDevice* Device(DWORD device);
    DWORD Status() const;
    DWORD Raw() const;

    std::vector<DWORD> m_ram;
    std::vector<DWORD> m_registers; // banks one after the other
    DWORD m_banks = 0;
    DWORD m_enable = 0;
    std::array<DWORD, 32> m_vectors{};
    I2CDevice m_eeprom;
    I2CDevice m_regFile;
};
