#include "WindowsIconSource.h"

#include "shell/IconImage.h"
#include "shell/windows/ShellIcons.h"
#include "shell/windows/ShellIds.h"

WindowsIconSource::WindowsIconSource() = default;

WindowsIconSource::~WindowsIconSource() = default;

void WindowsIconSource::begin()
{
    m_com = std::make_unique<ShellIds::ComScope>();
}

void WindowsIconSource::finish()
{
    m_cache.clear();
    m_com.reset();
}

QImage WindowsIconSource::image(const QByteArray &pidl, int px)
{
    const ShellIds::Pidl item = ShellIds::fromHandle(pidl);
    const int index = ShellIcons::indexOf(item.get());
    if (index < 0)
        return {};
    const quint64 key = (quint64(quint32(index)) << 32) | quint32(px);
    const auto cached = m_cache.constFind(key);
    if (cached != m_cache.cend())
        return *cached;
    if (m_cache.size() >= maxCached)
        m_cache.clear();
    // Made whole here, so the worker passes the shared image on as it is.
    const QImage image = IconImage::fitToSquare(ShellIcons::image(index, px), px);
    m_cache.insert(key, image);
    return image;
}
