#include "FreedesktopDesktopWatcher.h"

#include <QSocketNotifier>

#include <climits>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What counts as a change of the desktop's content.
constexpr uint32_t folderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE |
                                  IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
// What may bring the folder (or a folder on the way to it) into being.
constexpr uint32_t parentEvents = IN_CREATE | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

bool isDirectory(const QByteArray &path)
{
    struct stat info = {};
    return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

QByteArray parentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

} // namespace

FreedesktopDesktopWatcher::FreedesktopDesktopWatcher(const QByteArray &folder, QObject *parent)
    : DesktopWatcher(parent)
    , m_folder(folder)
{
    while (m_folder.size() > 1 && m_folder.endsWith('/'))
        m_folder.chop(1);
    if (!m_folder.startsWith('/'))
        return;
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &FreedesktopDesktopWatcher::readEvents);
    arm();
}

FreedesktopDesktopWatcher::~FreedesktopDesktopWatcher()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

void FreedesktopDesktopWatcher::disarm()
{
    for (int *watch : {&m_folderWatch, &m_parentWatch}) {
        if (*watch >= 0)
            ::inotify_rm_watch(m_fd, *watch);
        *watch = -1;
    }
    m_awaitedName.clear();
}

void FreedesktopDesktopWatcher::arm()
{
    disarm();
    if (isDirectory(m_folder)) {
        m_folderWatch = ::inotify_add_watch(m_fd, m_folder.constData(), folderEvents);
        if (m_folderWatch >= 0)
            return;
    }
    // Walk up to the nearest folder that exists and wait there for the next
    // step toward the desktop folder.
    QByteArray child = m_folder;
    while (child != "/") {
        const QByteArray parent = parentOf(child);
        if (isDirectory(parent)) {
            m_parentWatch = ::inotify_add_watch(m_fd, parent.constData(), parentEvents);
            if (m_parentWatch >= 0) {
                m_awaitedName = child.mid(child.lastIndexOf('/') + 1);
                return;
            }
        }
        child = parent;
    }
}

void FreedesktopDesktopWatcher::readEvents()
{
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    bool changedContent = false;
    bool rearm = false;
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (ssize_t offset = 0; offset < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + offset);
            offset += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                // Events were lost: the content may have changed, and so may the folder.
                changedContent = rearm = true;
            } else if (event->wd == m_folderWatch && m_folderWatch >= 0) {
                changedContent = true;
                // The folder itself went away or was moved: its watch is gone or
                // now follows a folder that is no longer the desktop.
                if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT))
                    rearm = true;
            } else if (event->wd == m_parentWatch && m_parentWatch >= 0) {
                const QByteArray name = event->len ? QByteArray(event->name) : QByteArray();
                if ((event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT)) ||
                    name == m_awaitedName)
                    rearm = true;
            }
        }
    }
    if (rearm) {
        const bool wasWatchingFolder = m_folderWatch >= 0;
        arm();
        // A folder that appeared may already hold items; one that vanished holds none now.
        changedContent = changedContent || wasWatchingFolder || m_folderWatch >= 0;
    }
    if (changedContent)
        Q_EMIT changed();
}
