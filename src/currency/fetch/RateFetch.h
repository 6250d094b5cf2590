#pragma once

#include <QByteArray>
#include <QObject>
#include <QUrl>

class QSslSocket;
class QTimer;

// One GET of a rate over HTTP/1.1, read on the calling thread through a buffer of
// its own. The deadline and the byte cap bound the whole exchange, headers and
// redirects included, and ending it closes the connection at once: a server
// that never finishes its headers costs no memory, no thread and no wait at
// quitting.
class RateFetch : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        int deadlineMs = 0;
        qint64 maxBytes = 0; // one response, status line and headers included
        int maxRedirects = 0;
    };

    RateFetch(const QUrl &url, const Limits &limits, QObject *parent = nullptr);
    ~RateFetch() override;

    // Connects and asks; finished() follows, at the latest at the deadline.
    void start();

    // A 2xx response arrived whole within the limits.
    bool succeeded() const { return m_succeeded; }
    QByteArray body() const { return m_body; }
    bool isFinished() const { return m_finished; }

Q_SIGNALS:
    // Emitted once, after which the connection is closed.
    void finished();

private:
    void connectTo(const QUrl &url);
    void sendRequest();
    void take();
    bool parseHead(qsizetype end);
    void checkBody(bool closed);
    void end(bool succeeded);

    Limits m_limits;
    QUrl m_url;
    QSslSocket *m_socket = nullptr;
    QTimer *m_deadline;
    QByteArray m_buffer; // the current response as received
    QByteArray m_body;
    qsizetype m_headEnd = -1; // where the body starts in m_buffer
    qint64 m_length = -1;     // Content-Length, -1 when none was sent
    bool m_chunked = false;
    int m_redirects = 0;
    bool m_finished = false;
    bool m_succeeded = false;
};
