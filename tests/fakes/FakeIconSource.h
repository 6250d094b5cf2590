#pragma once

#include "shell/IconSource.h"

#include <QHash>
#include <QImage>
#include <QMutex>
#include <QSemaphore>

#include <atomic>
#include <memory>

// Remembers what was asked, on the icon thread, and hands out one image per kind
// and size again and again, as a theme's cache does: blue for texts, green for the
// rest. A gated source is stuck in every request until the test lets it go, as on
// a hung network mount. The loader owns its source, so tests keep the state.
class FakeIconSource : public IconSource
{
public:
    struct State
    {
        QMutex mutex;
        QList<QPair<QByteArray, int>> asked;
        QHash<QPair<bool, int>, QImage> images;
        bool gated = false;
        QSemaphore entered;
        QSemaphore gate;
        std::atomic_bool gateTimedOut = false;
        std::atomic_bool destroyed = false;
    };

    explicit FakeIconSource(std::shared_ptr<State> state)
        : m_state(std::move(state))
    {}
    ~FakeIconSource() override { m_state->destroyed = true; }

    QImage image(const QByteArray &pidl, int px) override
    {
        if (m_state->gated) {
            m_state->entered.release();
            if (!m_state->gate.tryAcquire(1, 5000))
                m_state->gateTimedOut = true;
        }
        const QMutexLocker lock(&m_state->mutex);
        m_state->asked.append({pidl, px});
        const bool text = pidl.endsWith(".txt");
        QImage &image = m_state->images[{text, px}];
        if (image.isNull()) {
            image = QImage(px, px, QImage::Format_ARGB32_Premultiplied);
            image.fill(text ? Qt::blue : Qt::green);
            image.setPixelColor(0, 0, Qt::transparent); // as theme icons, not all opaque
        }
        return image;
    }

private:
    std::shared_ptr<State> m_state;
};
