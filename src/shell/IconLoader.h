#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>

#include <atomic>
#include <memory>

class IconSource;

// The icon worker: lives on the desktop model's icon thread and answers each
// request with an image of exactly px x px device pixels (px = size x ratio,
// truncated), or a null image, tagged with the request's generation and row.
// Requests are served one at a time in arrival order.
class IconLoader : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        quint64 generation = 0;
        int row = 0;
        // The item's handle, as DesktopEntry holds it.
        QByteArray pidl;
        QString path;
        bool handleIsPath = false;
        int size = 0;
        double ratio = 1.0;
    };

    // Without a source every answer is a null image.
    explicit IconLoader(std::unique_ptr<IconSource> source, QObject *parent = nullptr);
    ~IconLoader() override;

    // A reload's requests, handed over at once: one queued event per item
    // would cost the GUI thread more than the reload itself. Requests of
    // earlier generations not served yet are dropped, since their answers
    // would be. Serving goes on in slices, so the thread stays responsive
    // to new requests and to quitting. Call it on the loader's thread.
    void enqueue(QList<Request> requests);

    // Drops every request not served yet, at once and for good: the loader is
    // going away. Safe to call from any thread.
    void abandon();

public Q_SLOTS:
    void begin();
    void finish();
    void load(quint64 generation, int row, const QByteArray &pidl, int size, double ratio);

Q_SIGNALS:
    void loaded(quint64 generation, int row, const QImage &icon);

private:
    void serveSome();

    std::unique_ptr<IconSource> m_source;
    QList<Request> m_pending;
    bool m_serving = false;
    std::atomic_bool m_abandoned = false;
};
