// Line settings through the kernel's termios2 interface.
//
// Two reasons not to use tcsetattr(): rates without a termios constant
// (28800 bit/s) need BOTHER, and glibc's tcsetattr() reports EINVAL when a
// pseudo-terminal drops the parity bit, although everything it can carry was
// applied.  Kept apart because <asm/termbits.h> cannot share a file with
// <termios.h>.

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>

namespace kqm52 {

namespace {

speed_t standardRate(int baud) {
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return BOTHER;
    }
}

} // namespace

// parity: 0 none, 1 even, 2 odd (DriverParity's order).
int applyLineSettings(int fd, int baud, int dataBits, int parity, int stopBits) {
    struct termios2 t {};
    if (::ioctl(fd, TCGETS2, &t) != 0) return errno ? errno : EIO;
    const speed_t rate = standardRate(baud);
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= rate;
    t.c_ispeed = speed_t(baud);
    t.c_ospeed = speed_t(baud);
    t.c_cflag &= ~CSIZE;
    t.c_cflag |= dataBits == 7 ? CS7 : CS8;
    t.c_cflag &= ~(PARENB | PARODD);
    if (parity != 0) t.c_cflag |= PARENB | (parity == 2 ? PARODD : 0);
    // Check incoming parity when there is any; bad bytes are then counted by
    // drivers that keep counters instead of passing silently.
    t.c_iflag &= ~(IGNPAR | PARMRK);
    if (parity != 0)
        t.c_iflag |= INPCK;
    else
        t.c_iflag &= ~INPCK;
    if (stopBits == 2)
        t.c_cflag |= CSTOPB;
    else
        t.c_cflag &= ~CSTOPB;
    if (::ioctl(fd, TCSETS2, &t) != 0) return errno ? errno : EIO;
    return 0;
}

int readLineSettings(int fd, int& baud, int& dataBits, int& parity, int& stopBits) {
    struct termios2 t {};
    if (::ioctl(fd, TCGETS2, &t) != 0) return errno ? errno : EIO;
    baud = int(t.c_ospeed);
    dataBits = (t.c_cflag & CSIZE) == CS7 ? 7 : 8;
    parity = !(t.c_cflag & PARENB) ? 0 : (t.c_cflag & PARODD) ? 2 : 1;
    stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
    return 0;
}

} // namespace kqm52
