#include "port/driverspeed.h"

#ifdef Q_OS_LINUX
#include <asm/termbits.h>
#include <sys/ioctl.h>
#elif defined(Q_OS_WIN)
#include <windows.h>
#endif

namespace DriverSpeed {

qint32 of(QSerialPort &port)
{
#ifdef Q_OS_LINUX
    // termios2 holds the speed as a number, also one without a B constant.
    struct termios2 settings = {};
    if (port.isOpen() && ::ioctl(int(port.handle()), TCGETS2, &settings) == 0)
        return qint32(settings.c_ospeed);
#elif defined(Q_OS_WIN)
    DCB settings = {};
    settings.DCBlength = sizeof settings;
    if (port.isOpen() && GetCommState(port.handle(), &settings))
        return qint32(settings.BaudRate);
#else
    Q_UNUSED(port);
#endif
    return 0;
}

bool underWine()
{
#ifdef Q_OS_WIN
    // Wine's ntdll has an export of its own that Windows' has not.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}

} // namespace DriverSpeed
