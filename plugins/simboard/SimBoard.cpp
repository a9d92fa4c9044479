#include "SimBoard.h"

#include "SimBoardMap.h"

#include <cstring>
#include <new>

bool CSimBoard::Configure(DWORD parameter) {
    if (parameter >> 16)
        return false;
    DWORD ramMiB = parameter & 0xFFFu;
    DWORD banks = (parameter >> 12) & 0xFu;
    if (ramMiB == 0)
        ramMiB = SIMBOARD_RAM_DEFAULT_MIB;
    if (banks == 0)
        banks = SIMBOARD_BANKS_DEFAULT;
    if (ramMiB > SIMBOARD_RAM_MAX_MIB)
        return false;
    try {
        m_ram.assign(size_t{ramMiB} << 18, 0); // MiB in 32-bit words
        m_registers.assign(size_t{banks} * SIMBOARD_BANK_REGISTERS, 0);
        m_eeprom.bytes.assign(SIMBOARD_I2C_EEPROM_BYTES, 0xFF);
        m_regFile.bytes.assign(SIMBOARD_I2C_REGFILE_BYTES, 0);
    } catch (const std::bad_alloc&) {
        m_ram.clear();
        m_registers.clear();
        return false;
    }
    m_banks = banks;
    m_enable = 0;
    m_vectors.fill(0);
    return true;
}

DWORD* CSimBoard::Words(DWORD address, DWORD count) {
    if (address & 3u)
        return nullptr;
    const std::uint64_t end = std::uint64_t{address} + std::uint64_t{count} * 4u;
    if (end <= RamBytes())
        return m_ram.data() + address / 4u;
    if (address >= SIMBOARD_BANK_BASE) {
        const DWORD offset = address - SIMBOARD_BANK_BASE;
        const DWORD bank = offset / SIMBOARD_BANK_STRIDE;
        const std::uint64_t bankEnd = std::uint64_t{SIMBOARD_BANK_BASE} +
                                      std::uint64_t{bank} * SIMBOARD_BANK_STRIDE +
                                      SIMBOARD_BANK_REGISTERS * 4u;
        if (bank < m_banks && end <= bankEnd)
            return m_registers.data() + size_t{bank} * SIMBOARD_BANK_REGISTERS +
                   (offset % SIMBOARD_BANK_STRIDE) / 4u;
    }
    return nullptr;
}

DWORD CSimBoard::Raw() const {
    DWORD raw = 0;
    for (DWORD n = 0; n < SIMBOARD_PARENT_INTERRUPTS; ++n)
        if (m_vectors[n])
            raw |= 1u << n;
    return raw;
}

DWORD CSimBoard::Status() const {
    return Raw() & m_enable;
}

bool CSimBoard::Read(DWORD address, DWORD mask, DWORD& value) {
    if (DWORD* word = Words(address, 1)) {
        value = *word & mask;
        return true;
    }
    DWORD v = 0;
    if (address == SIMBOARD_INTC_STATUS)
        v = Status();
    else if (address == SIMBOARD_INTC_ENABLE)
        v = m_enable;
    else if (address == SIMBOARD_INTC_RAW)
        v = Raw();
    else if (address == SIMBOARD_SIM_ID)
        v = SIMBOARD_ID;
    else if (address >= SIMBOARD_INTC_VECTOR(0) && address < SIMBOARD_INTC_VECTOR(32) &&
             !(address & 3u))
        v = m_vectors[(address - SIMBOARD_INTC_VECTOR(0)) / 4u];
    else if (address >= SIMBOARD_INTC_RAISE(0) && address < SIMBOARD_INTC_RAISE(32) &&
             !(address & 3u))
        v = 0;
    else
        return false;
    value = v & mask;
    return true;
}

bool CSimBoard::Write(DWORD address, DWORD data, DWORD mask) {
    if (DWORD* word = Words(address, 1)) {
        *word = (*word & ~mask) | (data & mask);
        return true;
    }
    if (address == SIMBOARD_INTC_ENABLE)
        m_enable = (m_enable & ~mask) | (data & mask);
    else if (address == SIMBOARD_INTC_STATUS || address == SIMBOARD_INTC_RAW ||
             address == SIMBOARD_SIM_ID)
        ; // read-only: the write is answered and has no effect
    else if (address >= SIMBOARD_INTC_VECTOR(0) && address < SIMBOARD_INTC_VECTOR(32) &&
             !(address & 3u))
        m_vectors[(address - SIMBOARD_INTC_VECTOR(0)) / 4u] &= ~(data & mask);
    else if (address >= SIMBOARD_INTC_RAISE(0) && address < SIMBOARD_INTC_RAISE(32) &&
             !(address & 3u))
        m_vectors[(address - SIMBOARD_INTC_RAISE(0)) / 4u] |= data & mask;
    else
        return false;
    return true;
}

bool CSimBoard::BurstRead(DWORD address, DWORD* buffer, DWORD count) {
    DWORD* words = count && buffer ? Words(address, count) : nullptr;
    if (!words)
        return false;
    std::memcpy(buffer, words, size_t{count} * sizeof(DWORD));
    return true;
}

bool CSimBoard::BurstWrite(DWORD address, const DWORD* buffer, DWORD count) {
    DWORD* words = count && buffer ? Words(address, count) : nullptr;
    if (!words)
        return false;
    std::memmove(words, buffer, size_t{count} * sizeof(DWORD));
    return true;
}

CSimBoard::I2CDevice* CSimBoard::Device(DWORD device) {
    if (device == SIMBOARD_I2C_EEPROM && !m_eeprom.bytes.empty())
        return &m_eeprom;
    if (device == SIMBOARD_I2C_REGFILE && !m_regFile.bytes.empty())
        return &m_regFile;
    return nullptr;
}

bool CSimBoard::I2CWrite(DWORD device, DWORD subAddress, DWORD data, DWORD count) {
    I2CDevice* dev = Device(device);
    if (!dev || count < 1 || count > 4 ||
        (subAddress != SIMBOARD_I2C_NO_SUBADDRESS && subAddress > 0xFFu))
        return false;
    const size_t size = dev->bytes.size();
    DWORD first = 0;
    if (subAddress != SIMBOARD_I2C_NO_SUBADDRESS) {
        dev->pointer = subAddress % size;
    } else {
        dev->pointer = (data & 0xFFu) % size;
        first = 1;
    }
    for (DWORD i = first; i < count; ++i) {
        dev->bytes[dev->pointer] = static_cast<BYTE>(data >> (8u * i));
        dev->pointer = (dev->pointer + 1) % size;
    }
    return true;
}

bool CSimBoard::I2CRead(DWORD device, DWORD subAddress, DWORD count, DWORD& data) {
    I2CDevice* dev = Device(device);
    if (!dev || count < 1 || count > 4 ||
        (subAddress != SIMBOARD_I2C_NO_SUBADDRESS && subAddress > 0xFFu))
        return false;
    const size_t size = dev->bytes.size();
    if (subAddress != SIMBOARD_I2C_NO_SUBADDRESS)
        dev->pointer = subAddress % size;
    DWORD value = 0;
    for (DWORD i = 0; i < count; ++i) {
        value |= DWORD{dev->bytes[dev->pointer]} << (8u * i);
        dev->pointer = (dev->pointer + 1) % size;
    }
    data = value;
    return true;
}
