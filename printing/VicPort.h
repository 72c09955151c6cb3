#pragma once

#include "portaccess/PortAccess.h"

#include <cstdint>
#include <memory>

// Thin class over the port input/output driver: every operation forwards to one function of the
// port-access backend. The terminal uses it for the parallel printer's status lines.
class TVicPort {
public:
    // A session of the installed backend.
    TVicPort();
    explicit TVicPort(std::unique_ptr<platform::PortAccess> access);
    ~TVicPort();
    TVicPort(const TVicPort&) = delete;
    TVicPort& operator=(const TVicPort&) = delete;

    bool ActiveHW() const { return FActiveHW; }
    bool OpenDriver();
    void CloseDriver();

    // Registers a parallel port by its base address and returns its number.
    std::uint8_t AddNewLPT(std::uint16_t PortBaseAddress);
    std::uint8_t LPTNumber();
    void setLPTNumber(std::uint8_t number);
    std::uint8_t LPTNumPorts();
    std::uint16_t LPTBasePort();

    // Status lines of the current port; a printer that can accept data reads all false.
    bool LPTAckwl();
    bool LPTBusy();
    bool LPTError();
    bool LPTPaperEnd();
    bool LPTSlct();

    bool LPTReadMode() const { return FLPTReadMode; }
    void setLPTReadMode(bool readMode);
    void LPTStrobe(bool Flag);
    void LPTInit(bool Flag);
    void LPTSlctIn(bool Flag);
    void LPTAutofd(bool Flag);

    bool Pin(std::uint8_t nPin);
    void setPin(std::uint8_t nPin, bool value);

    std::uint8_t Port(std::uint16_t PortAddr);
    void setPort(std::uint16_t PortAddr, std::uint8_t value);
    std::uint16_t PortW(std::uint16_t PortAddr);
    void setPortW(std::uint16_t PortAddr, std::uint16_t value);
    std::uint32_t PortL(std::uint16_t PortAddr);
    void setPortL(std::uint16_t PortAddr, std::uint32_t value);

    void ReadPortFIFO(std::uint16_t PortAddr, std::uint32_t NumPorts, void* Buffer);
    void ReadPortWFIFO(std::uint16_t PortAddr, std::uint32_t NumPorts, void* Buffer);
    void ReadPortLFIFO(std::uint16_t PortAddr, std::uint32_t NumPorts, void* Buffer);
    void WritePortFIFO(std::uint16_t PortAddr, std::uint32_t NumPorts, const void* Buffer);
    void WritePortWFIFO(std::uint16_t PortAddr, std::uint32_t NumPorts, const void* Buffer);
    void WritePortLFIFO(std::uint16_t PortAddr, std::uint32_t NumPorts, const void* Buffer);

    bool HardAccess();
    void setHardAccess(bool value);

    void* MapPhysToLinear(std::uint32_t PhAddr, std::uint32_t PhSize);
    void UnmapMemory(std::uint32_t PhAddr, std::uint32_t PhSize);
    void GetHDDInfo(std::uint8_t Drive, bool Master, platform::HDDInfo& Info);

private:
    std::unique_ptr<platform::PortAccess> m_access;
    bool FActiveHW = false;
    bool FLPTReadMode = false;
};
