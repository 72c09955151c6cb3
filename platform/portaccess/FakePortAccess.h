#pragma once

#include "PortAccess.h"

#include <QStringList>

#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

namespace platform {

// A parallel port that cannot exist on a test machine: the test sets the status readings and
// the registers, and reads back every call the driver session made. The state outlives the
// sessions so a test can look at it after the code under test has closed its session.
struct FakeParallelPort {
    bool opens = true;
    bool ackwl = false;
    bool busy = false;
    bool error = false;
    bool paperEnd = false;
    bool slct = false;
    bool failReadings = false;
    std::vector<std::uint16_t> registered{0x378}; // LPT1
    std::uint8_t current = 1;
    std::map<std::uint16_t, std::uint8_t> registers;
    QStringList calls;
};

class FakePortAccess final : public PortAccess {
public:
    explicit FakePortAccess(std::shared_ptr<FakeParallelPort> port)
        : m_port(std::move(port)) {}

    bool openDriver() override {
        log(QStringLiteral("openDriver"));
        return m_port->opens;
    }
    void closeDriver() override { log(QStringLiteral("closeDriver")); }

    // Every call registers the address anew, so a test sees which of two numbers is used.
    std::uint8_t addNewLPT(std::uint16_t baseAddress) override {
        log(QStringLiteral("AddNewLPT %1").arg(baseAddress));
        m_port->registered.push_back(baseAddress);
        return std::uint8_t(m_port->registered.size());
    }
    void setLPTNumber(std::uint8_t number) override {
        log(QStringLiteral("SetLPTNumber %1").arg(number));
        m_port->current = number;
    }
    std::uint8_t getLPTNumber() override { return m_port->current; }
    std::uint8_t getLPTNumPorts() override { return std::uint8_t(m_port->registered.size()); }
    std::uint16_t getLPTBasePort() override {
        log(QStringLiteral("GetLPTBasePort"));
        return m_port->registered.at(m_port->current - 1u);
    }

    bool getLPTAckwl() override { return reading(QStringLiteral("GetLPTAckwl"), m_port->ackwl); }
    bool getLPTBusy() override { return reading(QStringLiteral("GetLPTBusy"), m_port->busy); }
    bool getLPTError() override { return reading(QStringLiteral("GetLPTError"), m_port->error); }
    bool getLPTPaperEnd() override {
        return reading(QStringLiteral("GetLPTPaperEnd"), m_port->paperEnd);
    }
    bool getLPTSlct() override { return reading(QStringLiteral("GetLPTSlct"), m_port->slct); }

    std::uint8_t readPort(std::uint16_t address) override {
        log(QStringLiteral("ReadPort %1").arg(address));
        return m_port->registers[address];
    }
    void writePort(std::uint16_t address, std::uint8_t value) override {
        log(QStringLiteral("WritePort %1 %2").arg(address).arg(value));
        m_port->registers[address] = value;
    }
    void setLPTReadMode() override { log(QStringLiteral("SetLPTReadMode")); }
    void setLPTWriteMode() override { log(QStringLiteral("SetLPTWriteMode")); }

private:
    void log(const QString& call) { m_port->calls << call; }
    bool reading(const QString& name, bool value) {
        log(name);
        if (m_port->failReadings) {
            throw std::runtime_error("driver not loaded");
        }
        return value;
    }

    std::shared_ptr<FakeParallelPort> m_port;
};

} // namespace platform
