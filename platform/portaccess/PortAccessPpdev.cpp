#include "PortAccessPpdev.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>
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

// What a port that cannot be claimed reads as: busy, every other line quiet.
constexpr std::uint8_t HeldStatus = NotAck | Selected | NotError;

void interrupted(int) {}

// Interrupts a claim that waits: its handler does nothing and is installed without SA_RESTART,
// so the waiting call returns.
int interruptingSignal() {
    static const int number = [] {
        struct sigaction action {};
        action.sa_handler = interrupted;
        sigemptyset(&action.sa_mask);
        sigaction(SIGRTMIN, &action, nullptr);
        return SIGRTMIN;
    }();
    return number;
}

enum class Claim { Claimed, Failed, Held };

// The claim waits for as long as another driver holds the port (the printer driver writing to a
// printer that takes no data), so it is given up after 1 s. A timer of this thread interrupts
// it every 100 ms; a tick that comes between two tries is lost, the next one is not.
Claim claimWithinOneSecond(int fd) {
    sigevent event{};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = interruptingSignal();
    event._sigev_un._tid = ::gettid();
    timer_t timer{};
    if (timer_create(CLOCK_MONOTONIC, &event, &timer) != 0) {
        return Claim::Failed;
    }
    constexpr timespec tick{0, 100'000'000};
    const itimerspec ticks{tick, tick};
    timer_settime(timer, 0, &ticks, nullptr);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    int result = 0;
    int error = 0;
    while ((result = ::ioctl(fd, PPCLAIM)) != 0 && (error = errno) == EINTR &&
           std::chrono::steady_clock::now() < deadline) {
    }
    timer_delete(timer);
    if (result == 0) {
        return Claim::Claimed;
    }
    return error == EINTR ? Claim::Held : Claim::Failed;
}

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

bool PpdevPortAccess::openDriver() {
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

bool PpdevPortAccess::onClaimedPort(std::uint16_t base, unsigned long request, void* argument) {
    const std::optional<KernelPort> port = kernelPortAt(base);
    if (!port || isHeld(base)) {
        return false;
    }
    const int fd = ::open(port->device.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool done = false;
    switch (claimWithinOneSecond(fd)) {
    case Claim::Claimed:
        done = ::ioctl(fd, request, argument) == 0;
        ::ioctl(fd, PPRELEASE);
        break;
    case Claim::Held:
        m_heldPorts.push_back(base);
        break;
    case Claim::Failed:
        break;
    }
    ::close(fd);
    return done;
}

bool PpdevPortAccess::isHeld(std::uint16_t base) const {
    return std::find(m_heldPorts.begin(), m_heldPorts.end(), base) != m_heldPorts.end();
}

std::optional<std::uint8_t> PpdevPortAccess::readStatus() {
    unsigned char status = 0;
    const std::uint16_t base = currentBase();
    if (onClaimedPort(base, PPRSTATUS, &status)) {
        return status;
    }
    return isHeld(base) ? std::optional<std::uint8_t>(HeldStatus) : std::nullopt;
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
