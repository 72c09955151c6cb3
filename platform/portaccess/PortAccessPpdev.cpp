#include "PortAccessPpdev.h"

#include <algorithm>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {
namespace {

// Status register bits as the port presents them: BUSY is inverted by the hardware, nACK and
// nERROR are active low, PAPER-OUT and SELECT active high.
constexpr std::uint8_t NotBusy = 0x80;
constexpr std::uint8_t NotAck = 0x40;
constexpr std::uint8_t PaperOut = 0x20;
constexpr std::uint8_t Selected = 0x10;
constexpr std::uint8_t NotError = 0x08;

// parportN directories in the order of N.
std::vector<std::filesystem::path> parportDirectories(const std::filesystem::path& procRoot) {
    std::vector<std::pair<int, std::filesystem::path>> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(procRoot, error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("parport") && name.size() > 7 &&
            std::all_of(name.begin() + 7, name.end(),
                        [](char c) { return c >= '0' && c <= '9'; })) {
            found.emplace_back(std::stoi(name.substr(7)), entry.path());
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::filesystem::path> result;
    for (auto& [number, path] : found) {
        result.push_back(std::move(path));
    }
    return result;
}

} // namespace

PpdevPortAccess::PpdevPortAccess(std::filesystem::path procRoot, std::filesystem::path devRoot)
    : m_devRoot(std::move(devRoot)) {
    for (const std::filesystem::path& directory : parportDirectories(procRoot)) {
        // base-addr holds the base and the extended base, in decimal.
        std::ifstream file(directory / "base-addr");
        unsigned long base = 0;
        if (file >> base && base <= 0xFFFF) {
            m_kernelPorts.push_back(
                {static_cast<std::uint16_t>(base), m_devRoot / directory.filename()});
            m_registered.push_back(static_cast<std::uint16_t>(base));
        }
    }
}

bool PpdevPortAccess::openTVicPort() {
    return !m_kernelPorts.empty();
}

std::uint8_t PpdevPortAccess::addNewLPT(std::uint16_t baseAddress) {
    auto known = std::find(m_registered.begin(), m_registered.end(), baseAddress);
    if (known == m_registered.end()) {
        if (m_registered.size() >= 255) {
            return 0;
        }
        known = m_registered.insert(m_registered.end(), baseAddress);
    }
    return static_cast<std::uint8_t>(known - m_registered.begin() + 1);
}

std::uint8_t PpdevPortAccess::getLPTNumPorts() {
    return static_cast<std::uint8_t>(m_registered.size());
}

std::uint16_t PpdevPortAccess::getLPTBasePort() {
    return currentBase();
}

std::uint16_t PpdevPortAccess::currentBase() const {
    if (m_current == 0 || m_current > m_registered.size()) {
        return 0;
    }
    return m_registered[m_current - 1];
}

std::optional<PpdevPortAccess::KernelPort> PpdevPortAccess::kernelPortAt(std::uint16_t base) const {
    for (const KernelPort& port : m_kernelPorts) {
        if (port.base == base) {
            return port;
        }
    }
    return std::nullopt;
}

bool PpdevPortAccess::onClaimedPort(std::uint16_t base, unsigned long request,
                                    void* argument) const {
    const std::optional<KernelPort> port = kernelPortAt(base);
    if (!port) {
        return false;
    }
    const int fd = ::open(port->device.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool done = false;
    if (::ioctl(fd, PPCLAIM) == 0) {
        done = ::ioctl(fd, request, argument) == 0;
        ::ioctl(fd, PPRELEASE);
    }
    ::close(fd);
    return done;
}

std::optional<std::uint8_t> PpdevPortAccess::readStatus() const {
    unsigned char status = 0;
    if (!onClaimedPort(currentBase(), PPRSTATUS, &status)) {
        return std::nullopt;
    }
    return status;
}

bool PpdevPortAccess::getLPTAckwl() {
    const auto status = readStatus();
    return status && !(*status & NotAck);
}

bool PpdevPortAccess::getLPTBusy() {
    const auto status = readStatus();
    return status && !(*status & NotBusy);
}

bool PpdevPortAccess::getLPTError() {
    const auto status = readStatus();
    return status && !(*status & NotError);
}

bool PpdevPortAccess::getLPTPaperEnd() {
    const auto status = readStatus();
    return status && (*status & PaperOut);
}

bool PpdevPortAccess::getLPTSlct() {
    const auto status = readStatus();
    return status && !(*status & Selected);
}

// Only the data (base), status (base + 1) and control (base + 2) registers of the kernel's
// parallel ports can be reached.
std::uint8_t PpdevPortAccess::readPort(std::uint16_t address) {
    static constexpr unsigned long requests[] = {PPRDATA, PPRSTATUS, PPRCONTROL};
    for (const KernelPort& port : m_kernelPorts) {
        if (address >= port.base && address - port.base < 3) {
            unsigned char value = 0;
            return onClaimedPort(port.base, requests[address - port.base], &value) ? value : 0;
        }
    }
    return 0;
}

void PpdevPortAccess::writePort(std::uint16_t address, std::uint8_t value) {
    for (const KernelPort& port : m_kernelPorts) {
        unsigned char byte = value;
        if (address == port.base) {
            onClaimedPort(port.base, PPWDATA, &byte);
        } else if (address == port.base + 2) {
            onClaimedPort(port.base, PPWCONTROL, &byte);
        }
    }
}

} // namespace platform
