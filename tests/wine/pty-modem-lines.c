// SPDX-License-Identifier: GPL-3.0-or-later
// Loaded into Wine (LD_PRELOAD) by scripts/test-windows.sh, so that a Windows
// program can use a Linux pseudo-terminal as a COM port.
//
// Wine waits for received bytes (WaitCommEvent with EV_RXCHAR, which
// QSerialPort uses for every read) in a thread that also reads the modem
// lines and the line counters, and gives up when the device refuses those
// requests. A pseudo-terminal refuses them: it has no modem lines. Here a
// pseudo-terminal answers them as an idle serial port would: no line is
// raised except those the program raised itself, nothing has been counted,
// the transmitter is empty. Every other device and request goes to the
// system unchanged.

#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <linux/serial.h>
#include <stdarg.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

typedef int (*ioctl_function)(int, unsigned long, ...);

// The pseudo-terminal slaves' device numbers (Unix 98 pseudo-terminals).
static int is_pseudo_terminal(int fd)
{
    struct stat status;
    return fstat(fd, &status) == 0 && S_ISCHR(status.st_mode) && major(status.st_rdev) >= 136
           && major(status.st_rdev) <= 143;
}

// The lines the program set with TIOCMSET, TIOCMBIS and TIOCMBIC, per
// process: one port at a time is all the tests use.
static int raised_lines;

int ioctl(int fd, unsigned long request, ...)
{
    static ioctl_function system_ioctl;
    if (!system_ioctl)
        system_ioctl = (ioctl_function)dlsym(RTLD_NEXT, "ioctl");
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);

    const int result = system_ioctl(fd, request, argument);
    if (result == 0 || (errno != ENOTTY && errno != EINVAL && errno != EIO) || !is_pseudo_terminal(fd))
        return result;
    switch (request) {
    case TIOCMGET:
        *(int*)argument = raised_lines;
        return 0;
    case TIOCMSET:
        raised_lines = *(const int*)argument;
        return 0;
    case TIOCMBIS:
        raised_lines |= *(const int*)argument;
        return 0;
    case TIOCMBIC:
        raised_lines &= ~*(const int*)argument;
        return 0;
    case TIOCGICOUNT:
        memset(argument, 0, sizeof(struct serial_icounter_struct));
        return 0;
    case TIOCSERGETLSR:
        *(unsigned int*)argument = TIOCSER_TEMT;
        return 0;
    default:
        return result;
    }
}
