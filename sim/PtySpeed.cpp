// The speed of a terminal as a number, whether it was set with a termios
// constant or with BOTHER (28800 bit/s has no constant).  Kept apart because
// <asm/termbits.h> cannot share a file with <termios.h>.

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>

namespace kqm52 {

int simTerminalLine(int fd, int& baud, int& dataBits, int& parity, int& stopBits) {
    struct termios2 t {};
    if (::ioctl(fd, TCGETS2, &t) != 0) return errno ? errno : EIO;
    baud = int(t.c_ospeed);
    stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
    // A Linux pty reports 8 data bits and no parity whatever was asked for.
    dataBits = (t.c_cflag & CSIZE) == CS7 ? 7 : 8;
    parity = !(t.c_cflag & PARENB) ? 0 : (t.c_cflag & PARODD) ? 2 : 1;
    return 0;
}

} // namespace kqm52
