#pragma once

#include <QFile>
#include <QString>

#ifdef Q_OS_WIN

// Windows has no FIFOs in its file system: none is ever made there.
class StuckFifo
{
public:
    static constexpr bool available = false;
    explicit StuckFifo(const QString &) {}
    bool made() const { return false; }
    bool blockedReader() const { return false; }
};

#else

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// A FIFO with no writer: opening it for reading blocks for good. So that a
// fault does not hang the whole test, a watchdog opens the writing end once the
// FIFO has been waited on for a while, which releases a blocked reader, and
// remembers that it had to. A reader that never blocks never meets it.
class StuckFifo
{
public:
    static constexpr bool available = true;

    explicit StuckFifo(const QString &path)
        : m_path(QFile::encodeName(path))
    {
        m_made = ::mkfifo(m_path.constData(), 0755) == 0;
        if (m_made)
            m_watchdog = std::thread([this] { watch(); });
    }
    ~StuckFifo()
    {
        m_done = true;
        if (m_watchdog.joinable())
            m_watchdog.join();
        ::unlink(m_path.constData());
    }
    Q_DISABLE_COPY_MOVE(StuckFifo)

    bool made() const { return m_made; }
    // Whether some reader sat on the FIFO until the watchdog released it.
    bool blockedReader() const { return m_released; }

private:
    void watch()
    {
        using namespace std::chrono_literals;
        const auto patience = std::chrono::steady_clock::now() + 3s;
        while (!m_done) {
            std::this_thread::sleep_for(10ms);
            if (std::chrono::steady_clock::now() < patience)
                continue;
            // Succeeds only while a reader has the FIFO open.
            if (const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); fd >= 0) {
                m_released = true;
                ::close(fd);
            }
        }
    }

    QByteArray m_path;
    bool m_made = false;
    std::atomic_bool m_done = false;
    std::atomic_bool m_released = false;
    std::thread m_watchdog;
};

#endif
