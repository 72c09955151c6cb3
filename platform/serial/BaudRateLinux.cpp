#include "BaudRate.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace platform::linux_tty {

bool setBaudRate(int fd, std::uint32_t rate) {
    struct termios2 settings {};
    if (::ioctl(fd, TCGETS2, &settings) != 0) {
        return false;
    }
    // BOTHER takes the rate from the speed fields; an input rate of 0 means "as the output".
    settings.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= BOTHER;
    settings.c_ospeed = rate;
    settings.c_ispeed = 0;
    return ::ioctl(fd, TCSETS2, &settings) == 0;
}

std::uint32_t baudRate(int fd) {
    struct termios2 settings {};
    if (::ioctl(fd, TCGETS2, &settings) != 0) {
        return 0;
    }
    return settings.c_ospeed;
}

} // namespace platform::linux_tty
