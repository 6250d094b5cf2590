#include "IconLoader.h"

#include "shell/DesktopSource.h"
#include "shell/IconImage.h"
#include "shell/IconSource.h"

#include <QElapsedTimer>

namespace {

// Worker time between looks at its event queue.
constexpr qint64 sliceMs = 10;

} // namespace

IconLoader::IconLoader(std::unique_ptr<IconSource> source, QObject *parent)
    : QObject(parent)
    , m_source(std::move(source))
{}

IconLoader::~IconLoader() = default;

void IconLoader::begin()
{
    if (m_source)
        m_source->begin();
}

void IconLoader::finish()
{
    if (m_source)
        m_source->finish();
}

void IconLoader::load(quint64 generation, int row, const QByteArray &pidl, int size, double ratio)
{
    const int px = IconImage::pixelSize(size, ratio);
    if (pidl.isEmpty() || px < 1 || !m_source) {
        Q_EMIT loaded(generation, row, QImage());
        return;
    }
    Q_EMIT loaded(generation, row, IconImage::fitToSquare(m_source->image(pidl, px), px));
}

void IconLoader::abandon()
{
    m_abandoned = true;
}

void IconLoader::enqueue(QList<Request> requests)
{
    if (m_abandoned)
        return;
    m_pending = std::move(requests);
    if (!m_serving && !m_pending.isEmpty()) {
        m_serving = true;
        QMetaObject::invokeMethod(this, &IconLoader::serveSome, Qt::QueuedConnection);
    }
}

void IconLoader::serveSome()
{
    QElapsedTimer slice;
    slice.start();
    if (m_abandoned)
        m_pending.clear();
    while (!m_pending.isEmpty() && slice.elapsed() < sliceMs && !m_abandoned) {
        const Request next = m_pending.takeFirst();
        load(next.generation, next.row, DesktopEntry::handleOf(next.pidl, next.handleIsPath, next.path),
             next.size, next.ratio);
    }
    m_serving = !m_pending.isEmpty();
    if (m_serving)
        QMetaObject::invokeMethod(this, &IconLoader::serveSome, Qt::QueuedConnection);
    else
        m_pending = {}; // an emptied list keeps its room for a whole desktop's requests
}
