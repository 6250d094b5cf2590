#pragma once

#include "shell/DesktopSource.h"

#include <QFileInfo>
#include <QPixmap>

#include <memory>

// A desktop whose content a test sets directly. The model owns its source, so
// tests keep a shared state object to change the desktop between reloads.
class FakeDesktopSource : public DesktopSource
{
public:
    struct State
    {
        QList<DesktopEntry> entries;
        QList<DesktopEntry> hiddenEntries; // listed only when hidden files are shown
        QSet<QString> hiddenVirtual;
        bool showHidden = false;
        bool available = true;
        QByteArray folder; // what folderPath() answers
        int enumerations = 0;
        QList<int> iconSizesAsked;
    };

    explicit FakeDesktopSource(std::shared_ptr<State> state)
        : m_state(std::move(state))
    {}

    bool showsHiddenFiles() const override { return m_state->showHidden; }
    QSet<QString> hiddenVirtualItems() const override { return m_state->hiddenVirtual; }
    bool enumerate(bool includeHidden, QList<DesktopEntry> &out) override
    {
        ++m_state->enumerations;
        if (!m_state->available)
            return false;
        out.append(m_state->entries);
        if (includeHidden)
            out.append(m_state->hiddenEntries);
        return true;
    }
    QIcon genericIcon(bool folder, int size, qreal ratio) const override
    {
        m_state->iconSizesAsked.append(size);
        QPixmap pixmap(int(size * ratio), int(size * ratio));
        pixmap.fill(folder ? Qt::yellow : Qt::gray);
        pixmap.setDevicePixelRatio(ratio);
        return QIcon(pixmap);
    }
    QByteArray folderPath() const override { return m_state->folder; }

    static DesktopEntry file(const QString &path, const QString &name = QString())
    {
        return {path.toUtf8(), path, name.isNull() ? QFileInfo(path).fileName() : name, path, false};
    }
    static DesktopEntry folder(const QString &path, const QString &name = QString())
    {
        return {path.toUtf8(), path, name.isNull() ? QFileInfo(path).fileName() : name, path, true};
    }
    static DesktopEntry virtualItem(const QString &clsid, const QString &name)
    {
        const QString parsingName = QLatin1String("::") + clsid;
        return {parsingName.toUtf8(), parsingName, name, QString(), true};
    }

private:
    std::shared_ptr<State> m_state;
};
