// Rates without a termios constant (28800 bit/s) go through termios2 and
// BOTHER.  Kept apart because <asm/termbits.h> cannot share a file with
// <termios.h>.

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>

namespace kqm52 {

int setCustomBaudrate(int fd, int baud) {
    struct termios2 t {};
    if (::ioctl(fd, TCGETS2, &t) != 0)
        return errno ? errno : EIO;
    t.c_cflag &= ~CBAUD;
    t.c_cflag |= BOTHER;
    t.c_ispeed = speed_t(baud);
    t.c_ospeed = speed_t(baud);
    if (::ioctl(fd, TCSETS2, &t) != 0)
        return errno ? errno : EIO;
    return 0;
}

} // namespace kqm52
