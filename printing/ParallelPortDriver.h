#pragma once

#include "portaccess/PortAccess.h"

#include <cstdint>
#include <memory>

// Thin class over the port input/output driver: every operation forwards to one function of the
// port-access backend. The terminal uses it for the parallel printer's status lines.
class ParallelPortDriver {
public:
    // A session of the installed backend.
    ParallelPortDriver();
    explicit ParallelPortDriver(std::unique_ptr<platform::PortAccess> access);
    ~ParallelPortDriver();
    ParallelPortDriver(const ParallelPortDriver&) = delete;
    ParallelPortDriver& operator=(const ParallelPortDriver&) = delete;

    bool activeHW() const { return m_activeHW; }
    bool openDriver();
    void closeDriver();

    // Registers a parallel port by its base address and returns its number.
    std::uint8_t addPort(std::uint16_t portBaseAddress);
    std::uint8_t portNumber();
    void setLPTNumber(std::uint8_t number);
    std::uint8_t portCount();
    std::uint16_t basePort();

    // Status lines of the current port; a printer that can accept data reads all false.
    bool isAcknowledging();
    bool isBusy();
    bool hasError();
    bool isPaperOut();
    bool isSelected();

    bool readMode() const { return m_readMode; }
    void setLPTReadMode(bool readMode);
    void setStrobe(bool flag);
    void setInit(bool flag);
    void setSelectIn(bool flag);
    void setAutoFeed(bool flag);

    bool pin(std::uint8_t nPin);
    void setPin(std::uint8_t nPin, bool value);

    std::uint8_t Port(std::uint16_t portAddr);
    void setPort(std::uint16_t portAddr, std::uint8_t value);
    std::uint16_t portW(std::uint16_t portAddr);
    void setPortW(std::uint16_t portAddr, std::uint16_t value);
    std::uint32_t portL(std::uint16_t portAddr);
    void setPortL(std::uint16_t portAddr, std::uint32_t value);

    void readPortFifo(std::uint16_t portAddr, std::uint32_t numPorts, void* buffer);
    void readPortWordFifo(std::uint16_t portAddr, std::uint32_t numPorts, void* buffer);
    void readPortLongFifo(std::uint16_t portAddr, std::uint32_t numPorts, void* buffer);
    void writePortFifo(std::uint16_t portAddr, std::uint32_t numPorts, const void* buffer);
    void writePortWordFifo(std::uint16_t portAddr, std::uint32_t numPorts, const void* buffer);
    void writePortLongFifo(std::uint16_t portAddr, std::uint32_t numPorts, const void* buffer);

    bool hardAccess();
    void setHardAccess(bool value);

    void* mapPhysToLinear(std::uint32_t phAddr, std::uint32_t phSize);
    void unmapMemory(std::uint32_t phAddr, std::uint32_t phSize);
    void hardDiskInfo(std::uint8_t drive, bool master, platform::HardDiskInfo& info);

private:
    std::unique_ptr<platform::PortAccess> m_access;
    bool m_activeHW = false;
    bool m_readMode = false;
};
