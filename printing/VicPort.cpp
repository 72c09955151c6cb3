#include "VicPort.h"

TVicPort::TVicPort()
    : TVicPort(platform::createPortAccess()) {}

TVicPort::TVicPort(std::unique_ptr<platform::PortAccess> access)
    : m_access(std::move(access)) {}

TVicPort::~TVicPort() {
    m_access->closeTVicPort();
}

bool TVicPort::OpenDriver() {
    if (!FActiveHW) {
        FActiveHW = m_access->openTVicPort();
    }
    return FActiveHW;
}

void TVicPort::CloseDriver() {
    if (FActiveHW) {
        m_access->closeTVicPort();
        FActiveHW = false;
    }
}

std::uint8_t TVicPort::AddNewLPT(std::uint16_t PortBaseAddress) {
    return m_access->addNewLPT(PortBaseAddress);
}

std::uint8_t TVicPort::LPTNumber() {
    return m_access->getLPTNumber();
}

void TVicPort::setLPTNumber(std::uint8_t number) {
    m_access->setLPTNumber(number);
}

std::uint8_t TVicPort::LPTNumPorts() {
    return m_access->getLPTNumPorts();
}

std::uint16_t TVicPort::LPTBasePort() {
    return m_access->getLPTBasePort();
}

bool TVicPort::LPTAckwl() {
    return m_access->getLPTAckwl();
}

bool TVicPort::LPTBusy() {
    return m_access->getLPTBusy();
}

bool TVicPort::LPTError() {
    return m_access->getLPTError();
}

bool TVicPort::LPTPaperEnd() {
    return m_access->getLPTPaperEnd();
}

bool TVicPort::LPTSlct() {
    return m_access->getLPTSlct();
}

void TVicPort::setLPTReadMode(bool readMode) {
    FLPTReadMode = readMode;
    if (readMode) {
        m_access->setLPTReadMode();
    } else {
        m_access->setLPTWriteMode();
    }
}

void TVicPort::LPTStrobe(bool Flag) {
    m_access->lptStrobe(Flag);
}

void TVicPort::LPTInit(bool Flag) {
    m_access->lptInit(Flag);
}

void TVicPort::LPTSlctIn(bool Flag) {
    m_access->lptSlctIn(Flag);
}

void TVicPort::LPTAutofd(bool Flag) {
    m_access->lptAutofd(Flag);
}

bool TVicPort::Pin(std::uint8_t nPin) {
    return m_access->getPin(nPin);
}

void TVicPort::setPin(std::uint8_t nPin, bool value) {
    m_access->setPin(nPin, value);
}

std::uint8_t TVicPort::Port(std::uint16_t PortAddr) {
    return m_access->readPort(PortAddr);
}

void TVicPort::setPort(std::uint16_t PortAddr, std::uint8_t value) {
    m_access->writePort(PortAddr, value);
}

std::uint16_t TVicPort::PortW(std::uint16_t PortAddr) {
    return m_access->readPortW(PortAddr);
}

void TVicPort::setPortW(std::uint16_t PortAddr, std::uint16_t value) {
    m_access->writePortW(PortAddr, value);
}

std::uint32_t TVicPort::PortL(std::uint16_t PortAddr) {
    return m_access->readPortL(PortAddr);
}

void TVicPort::setPortL(std::uint16_t PortAddr, std::uint32_t value) {
    m_access->writePortL(PortAddr, value);
}

void TVicPort::ReadPortFIFO(std::uint16_t PortAddr, std::uint32_t NumPorts, void* Buffer) {
    m_access->readPortFIFO(PortAddr, NumPorts, Buffer);
}

void TVicPort::ReadPortWFIFO(std::uint16_t PortAddr, std::uint32_t NumPorts, void* Buffer) {
    m_access->readPortWFIFO(PortAddr, NumPorts, Buffer);
}

void TVicPort::ReadPortLFIFO(std::uint16_t PortAddr, std::uint32_t NumPorts, void* Buffer) {
    m_access->readPortLFIFO(PortAddr, NumPorts, Buffer);
}

void TVicPort::WritePortFIFO(std::uint16_t PortAddr, std::uint32_t NumPorts, const void* Buffer) {
    m_access->writePortFIFO(PortAddr, NumPorts, Buffer);
}

void TVicPort::WritePortWFIFO(std::uint16_t PortAddr, std::uint32_t NumPorts, const void* Buffer) {
    m_access->writePortWFIFO(PortAddr, NumPorts, Buffer);
}

void TVicPort::WritePortLFIFO(std::uint16_t PortAddr, std::uint32_t NumPorts, const void* Buffer) {
    m_access->writePortLFIFO(PortAddr, NumPorts, Buffer);
}

bool TVicPort::HardAccess() {
    return m_access->testHardAccess();
}

void TVicPort::setHardAccess(bool value) {
    m_access->setHardAccess(value);
}

void* TVicPort::MapPhysToLinear(std::uint32_t PhAddr, std::uint32_t PhSize) {
    return m_access->mapPhysToLinear(PhAddr, PhSize);
}

void TVicPort::UnmapMemory(std::uint32_t PhAddr, std::uint32_t PhSize) {
    m_access->unmapMemory(PhAddr, PhSize);
}

void TVicPort::GetHDDInfo(std::uint8_t Drive, bool Master, platform::HDDInfo& Info) {
    m_access->getHDDInfo(Drive, Master, Info);
}
