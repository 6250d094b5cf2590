#pragma once

#include "shell/IconSource.h"

#include <QHash>

#include <optional>

namespace ShellIds {
class ComScope;
}

// Item icons from the shell's system image list, on the icon thread with COM
// of its own. Items sharing an icon of the list share its image.
class WindowsIconSource : public IconSource
{
public:
    WindowsIconSource();
    ~WindowsIconSource() override;

    void begin() override;
    void finish() override;
    QImage image(const QByteArray &pidl, int px) override;

    // Distinct images kept before the cache starts afresh.
    static constexpr int maxCached = 1024;

private:
    std::unique_ptr<ShellIds::ComScope> m_com;
    // By image list index and size.
    QHash<quint64, QImage> m_cache;
};
