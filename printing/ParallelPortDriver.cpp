#include "ParallelPortDriver.h"

ParallelPortDriver::ParallelPortDriver()
    : ParallelPortDriver(platform::createPortAccess()) {}

ParallelPortDriver::ParallelPortDriver(std::unique_ptr<platform::PortAccess> access)
    : m_access(std::move(access)) {}

ParallelPortDriver::~ParallelPortDriver() {
    m_access->closeDriver();
}

bool ParallelPortDriver::openDriver() {
    if (!m_activeHW) {
        m_activeHW = m_access->openDriver();
    }
    return m_activeHW;
}

void ParallelPortDriver::closeDriver() {
    if (m_activeHW) {
        m_access->closeDriver();
        m_activeHW = false;
    }
}

std::uint8_t ParallelPortDriver::addPort(std::uint16_t portBaseAddress) {
    return m_access->addNewLPT(portBaseAddress);
}

std::uint8_t ParallelPortDriver::portNumber() {
    return m_access->getLPTNumber();
}

void ParallelPortDriver::setLPTNumber(std::uint8_t number) {
    m_access->setLPTNumber(number);
}

std::uint8_t ParallelPortDriver::portCount() {
    return m_access->getLPTNumPorts();
}

std::uint16_t ParallelPortDriver::basePort() {
    return m_access->getLPTBasePort();
}

bool ParallelPortDriver::isAcknowledging() {
    return m_access->getLPTAckwl();
}

bool ParallelPortDriver::isBusy() {
    return m_access->getLPTBusy();
}

bool ParallelPortDriver::hasError() {
    return m_access->getLPTError();
}

bool ParallelPortDriver::isPaperOut() {
    return m_access->getLPTPaperEnd();
}

bool ParallelPortDriver::isSelected() {
    return m_access->getLPTSlct();
}

void ParallelPortDriver::setLPTReadMode(bool readMode) {
    m_readMode = readMode;
    if (readMode) {
        m_access->setLPTReadMode();
    } else {
        m_access->setLPTWriteMode();
    }
}

void ParallelPortDriver::setStrobe(bool flag) {
    m_access->lptStrobe(flag);
}

void ParallelPortDriver::setInit(bool flag) {
    m_access->lptInit(flag);
}

void ParallelPortDriver::setSelectIn(bool flag) {
    m_access->lptSlctIn(flag);
}

void ParallelPortDriver::setAutoFeed(bool flag) {
    m_access->lptAutofd(flag);
}

bool ParallelPortDriver::pin(std::uint8_t nPin) {
    return m_access->getPin(nPin);
}

void ParallelPortDriver::setPin(std::uint8_t nPin, bool value) {
    m_access->setPin(nPin, value);
}

std::uint8_t ParallelPortDriver::Port(std::uint16_t portAddr) {
    return m_access->readPort(portAddr);
}

void ParallelPortDriver::setPort(std::uint16_t portAddr, std::uint8_t value) {
    m_access->writePort(portAddr, value);
}

std::uint16_t ParallelPortDriver::portW(std::uint16_t portAddr) {
    return m_access->readPortW(portAddr);
}

void ParallelPortDriver::setPortW(std::uint16_t portAddr, std::uint16_t value) {
    m_access->writePortW(portAddr, value);
}

std::uint32_t ParallelPortDriver::portL(std::uint16_t portAddr) {
    return m_access->readPortL(portAddr);
}

void ParallelPortDriver::setPortL(std::uint16_t portAddr, std::uint32_t value) {
    m_access->writePortL(portAddr, value);
}

void ParallelPortDriver::readPortFifo(std::uint16_t portAddr, std::uint32_t numPorts,
                                      void* buffer) {
    m_access->readPortFIFO(portAddr, numPorts, buffer);
}

void ParallelPortDriver::readPortWordFifo(std::uint16_t portAddr, std::uint32_t numPorts,
                                          void* buffer) {
    m_access->readPortWFIFO(portAddr, numPorts, buffer);
}

void ParallelPortDriver::readPortLongFifo(std::uint16_t portAddr, std::uint32_t numPorts,
                                          void* buffer) {
    m_access->readPortLFIFO(portAddr, numPorts, buffer);
}

void ParallelPortDriver::writePortFifo(std::uint16_t portAddr, std::uint32_t numPorts,
                                       const void* buffer) {
    m_access->writePortFIFO(portAddr, numPorts, buffer);
}

void ParallelPortDriver::writePortWordFifo(std::uint16_t portAddr, std::uint32_t numPorts,
                                           const void* buffer) {
    m_access->writePortWFIFO(portAddr, numPorts, buffer);
}

void ParallelPortDriver::writePortLongFifo(std::uint16_t portAddr, std::uint32_t numPorts,
                                           const void* buffer) {
    m_access->writePortLFIFO(portAddr, numPorts, buffer);
}

bool ParallelPortDriver::hardAccess() {
    return m_access->testHardAccess();
}

void ParallelPortDriver::setHardAccess(bool value) {
    m_access->setHardAccess(value);
}

void* ParallelPortDriver::mapPhysToLinear(std::uint32_t phAddr, std::uint32_t phSize) {
    return m_access->mapPhysToLinear(phAddr, phSize);
}

void ParallelPortDriver::unmapMemory(std::uint32_t phAddr, std::uint32_t phSize) {
    m_access->unmapMemory(phAddr, phSize);
}

void ParallelPortDriver::hardDiskInfo(std::uint8_t drive, bool master,
                                      platform::HardDiskInfo& info) {
    m_access->hardDiskInfo(drive, master, info);
}
