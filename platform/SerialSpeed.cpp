#include "platform/SerialSpeed.h"

#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>

namespace plat::serial_speed {

int read(int fd, uint32_t& baud) {
    termios2 t{};
    if (::ioctl(fd, TCGETS2, &t) != 0) return errno;
    baud = t.c_ospeed;
    return 0;
}

int writeAny(int fd, uint32_t baud) {
    termios2 t{};
    if (::ioctl(fd, TCGETS2, &t) != 0) return errno;
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = t.c_ospeed = baud;
    if (::ioctl(fd, TCSETS2, &t) != 0) return errno;
    return 0;
}

}  // namespace plat::serial_speed
