#include "FakeDesktopSource.h"

#include <QFileInfo>
#include <QPixmap>

FakeDesktopSource::FakeDesktopSource(std::shared_ptr<State> state)
    : m_state(std::move(state))
{}

bool FakeDesktopSource::showsHiddenFiles() const
{
    return m_state->showHidden;
}

QSet<QString> FakeDesktopSource::hiddenVirtualItems() const
{
    return m_state->hiddenVirtual;
}

bool FakeDesktopSource::enumerate(bool includeHidden, QList<DesktopEntry> &out)
{
    ++m_state->enumerations;
    if (!m_state->available)
        return false;
    out.append(m_state->entries);
    if (includeHidden)
        out.append(m_state->hiddenEntries);
    return true;
}

QIcon FakeDesktopSource::genericIcon(bool folder, int size, qreal ratio) const
{
    m_state->iconSizesAsked.append(size);
    QPixmap pixmap(int(size * ratio), int(size * ratio));
    pixmap.fill(folder ? Qt::yellow : Qt::gray);
    pixmap.setDevicePixelRatio(ratio);
    return QIcon(pixmap);
}

DesktopEntry FakeDesktopSource::file(const QString &path, const QString &name)
{
    return {path.toUtf8(), path, name.isNull() ? QFileInfo(path).fileName() : name, path, false};
}

DesktopEntry FakeDesktopSource::folder(const QString &path, const QString &name)
{
    return {path.toUtf8(), path, name.isNull() ? QFileInfo(path).fileName() : name, path, true};
}

DesktopEntry FakeDesktopSource::virtualItem(const QString &clsid, const QString &name)
{
    const QString parsingName = QLatin1String("::") + clsid;
    return {parsingName.toUtf8(), parsingName, name, QString(), true};
}
