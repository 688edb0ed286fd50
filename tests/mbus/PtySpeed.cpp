// The line speed a terminal holds, read with the kernel's second termios structure, for the serial
// port's tests (its header cannot share a file with <termios.h>).
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace pty_test {

unsigned lineSpeed(int fd) {
    termios2 t{};
    return ::ioctl(fd, TCGETS2, &t) == 0 ? t.c_ospeed : 0;
}

}  // namespace pty_test
