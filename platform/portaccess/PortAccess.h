#pragma once

#include <cstdint>
#include <memory>

// Direct access to hardware ports and to the lines of parallel (LPT) ports, one function per
// entry of the port input/output driver library. An operation a backend cannot offer answers as
// a driver that is not loaded does: false, zero or nothing.
namespace platform {

// Description of an IDE disk as the driver library reports it.
struct HardDiskInfo {
    std::uint32_t BufferSize = 0;
    std::uint32_t ECCMode = 0;
    std::uint32_t SectorsPerInterrupt = 0;
    std::uint32_t Cylinders = 0;
    std::uint32_t Heads = 0;
    std::uint32_t SectorsPerTrack = 0;
    char Model[41] = {};
    char SerialNumber[21] = {};
    char Revision[9] = {};
};

class PortAccess {
public:
    virtual ~PortAccess() = default;

    virtual bool openDriver() = 0;
    virtual void closeDriver() = 0;

    // Parallel ports are registered by base address and then selected by number (from 1).
    virtual std::uint8_t addNewLPT(std::uint16_t baseAddress) = 0;
    virtual void setLPTNumber(std::uint8_t number) = 0;
    virtual std::uint8_t getLPTNumber() = 0;
    virtual std::uint8_t getLPTNumPorts() = 0;
    virtual std::uint16_t getLPTBasePort() = 0;

    // Status lines of the current port. Each reading is true when its line keeps the printer
    // from taking data (acknowledge pulse, busy, error, paper end, not selected), so a printer
    // that can accept data reads all five false.
    virtual bool getLPTAckwl() = 0;
    virtual bool getLPTBusy() = 0;
    virtual bool getLPTError() = 0;
    virtual bool getLPTPaperEnd() = 0;
    virtual bool getLPTSlct() = 0;

    // Raw 8-bit port input and output; a parallel port's status register is at base + 1.
    virtual std::uint8_t readPort(std::uint16_t address) = 0;
    virtual void writePort(std::uint16_t address, std::uint8_t value) = 0;

    // Facilities the terminal does not use.
    virtual void setLPTReadMode() {}
    virtual void setLPTWriteMode() {}
    virtual void lptStrobe(bool) {}
    virtual void lptInit(bool) {}
    virtual void lptSlctIn(bool) {}
    virtual void lptAutofd(bool) {}
    virtual bool getPin(std::uint8_t) { return false; }
    virtual void setPin(std::uint8_t, bool) {}
    virtual std::uint16_t readPortW(std::uint16_t) { return 0; }
    virtual std::uint32_t readPortL(std::uint16_t) { return 0; }
    virtual void writePortW(std::uint16_t, std::uint16_t) {}
    virtual void writePortL(std::uint16_t, std::uint32_t) {}
    virtual void readPortFIFO(std::uint16_t, std::uint32_t, void*) {}
    virtual void readPortWFIFO(std::uint16_t, std::uint32_t, void*) {}
    virtual void readPortLFIFO(std::uint16_t, std::uint32_t, void*) {}
    virtual void writePortFIFO(std::uint16_t, std::uint32_t, const void*) {}
    virtual void writePortWFIFO(std::uint16_t, std::uint32_t, const void*) {}
    virtual void writePortLFIFO(std::uint16_t, std::uint32_t, const void*) {}
    virtual bool testHardAccess() { return false; }
    virtual void setHardAccess(bool) {}
    virtual void* mapPhysToLinear(std::uint32_t, std::uint32_t) { return nullptr; }
    virtual void unmapMemory(std::uint32_t, std::uint32_t) {}
    virtual void hardDiskInfo(std::uint8_t, bool, HardDiskInfo&) {}
};

// A new driver session of the installed back ends.
std::unique_ptr<PortAccess> createPortAccess();

// A session of the system's driver (on Linux: ppdev).
std::unique_ptr<PortAccess> createSystemPortAccess();

} // namespace platform
