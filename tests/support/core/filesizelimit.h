#ifndef NIMBAL_TESTS_FILESIZELIMIT_H
#define NIMBAL_TESTS_FILESIZELIMIT_H

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

// Lowers the limit on the size of files this process writes, as a full disk
// would stop a write; a write past it fails with EFBIG instead of raising
// SIGXFSZ. Both are put back when it goes. Windows has no such limit:
// there isActive() is false.
class FileSizeLimit
{
public:
#ifdef Q_OS_UNIX
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_old;
        lowered.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
#else
    explicit FileSizeLimit(int) {}
#endif
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool isActive() const
    {
        return m_active;
    }

private:
#ifdef Q_OS_UNIX
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
#endif
    bool m_active = false;
};

#endif
