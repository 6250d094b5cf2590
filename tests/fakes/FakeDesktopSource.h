#pragma once

#include "shell/DesktopSource.h"

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

    explicit FakeDesktopSource(std::shared_ptr<State> state);

    bool showsHiddenFiles() const override;
    QSet<QString> hiddenVirtualItems() const override;
    bool enumerate(bool includeHidden, QList<DesktopEntry> &out) override;
    QIcon genericIcon(bool folder, int size, qreal ratio) const override;
    QByteArray folderPath() const override { return m_state->folder; }

    static DesktopEntry file(const QString &path, const QString &name = QString());
    static DesktopEntry folder(const QString &path, const QString &name = QString());
    static DesktopEntry virtualItem(const QString &clsid, const QString &name);

private:
    std::shared_ptr<State> m_state;
};
