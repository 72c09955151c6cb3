#pragma once

#include "PortAccess.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace platform {

// Parallel ports through the kernel's ppdev driver. The ports the kernel knows are LPT1, LPT2, ...
// in the order of /proc/sys/dev/parport/parportN; other base addresses can be registered but have
// no device behind them, so their lines read false, as a driver that is not loaded answers.
// Every reading claims the port, reads the register and releases it at once, so the printer
// driver can keep writing to /dev/lpN meanwhile. A port that cannot be claimed within 1 s is held
// by another driver: for the rest of the session it reads as busy without being asked again.
class PpdevPortAccess final : public PortAccess {
public:
    // The roots exist for tests; production uses the kernel's.
    explicit PpdevPortAccess(std::filesystem::path procRoot = "/proc/sys/dev/parport",
                             std::filesystem::path devRoot = "/dev");

    bool openDriver() override;
    void closeDriver() override {}

    std::uint8_t addNewLPT(std::uint16_t baseAddress) override;
    void setLPTNumber(std::uint8_t number) override { m_current = number; }
    std::uint8_t getLPTNumber() override { return m_current; }
    std::uint8_t getLPTNumPorts() override;
    std::uint16_t getLPTBasePort() override;

    bool getLPTAckwl() override;
    bool getLPTBusy() override;
    bool getLPTError() override;
    bool getLPTPaperEnd() override;
    bool getLPTSlct() override;

    std::uint8_t readPort(std::uint16_t address) override;
    void writePort(std::uint16_t address, std::uint8_t value) override;

private:
    struct KernelPort {
        std::uint16_t base;
        std::filesystem::path device;
    };

    std::uint16_t currentBase() const;
    std::optional<KernelPort> kernelPortAt(std::uint16_t base) const;
    std::optional<std::uint8_t> readStatus();
    // Runs one ppdev request on the claimed port at base; false when there is no such port or it
    // cannot be claimed.
    bool onClaimedPort(std::uint16_t base, unsigned long request, void* argument);
    bool isHeld(std::uint16_t base) const;

    std::filesystem::path m_devRoot;
    std::vector<KernelPort> m_kernelPorts;
    std::vector<std::uint16_t> m_registered; // base address of LPT number index + 1
    std::vector<std::uint16_t> m_heldPorts;
    std::uint8_t m_current = 1;
};

} // namespace platform
