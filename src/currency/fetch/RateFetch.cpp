#include "RateFetch.h"

#include "currency/fetch/RateEndpoint.h"

#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>

namespace {

enum class Chunks
{
    Incomplete,
    Complete,
    Invalid
};

// Decodes a chunked body as far as it has arrived; trailers are not read.
Chunks dechunk(const QByteArray &raw, QByteArray *body)
{
    body->clear();
    qsizetype pos = 0;
    for (;;) {
        const qsizetype eol = raw.indexOf("\r\n", pos);
        if (eol < 0)
            return Chunks::Incomplete;
        QByteArray sizeText = raw.mid(pos, eol - pos);
        sizeText.truncate(sizeText.indexOf(';') < 0 ? sizeText.size() : sizeText.indexOf(';'));
        bool ok = false;
        const qint64 size = sizeText.trimmed().toLongLong(&ok, 16);
        if (!ok || size < 0)
            return Chunks::Invalid;
        pos = eol + 2;
        if (size == 0)
            return Chunks::Complete;
        if (size > raw.size() || raw.size() - pos < size + 2)
            return Chunks::Incomplete;
        body->append(raw.mid(pos, size));
        pos += size;
        if (raw.mid(pos, 2) != "\r\n")
            return Chunks::Invalid;
        pos += 2;
    }
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

RateFetch::RateFetch(const QUrl &url, const Limits &limits, QObject *parent)
    : QObject(parent)
    , m_limits(limits)
    , m_url(url)
    , m_deadline(new QTimer(this))
{
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, [this] { end(false); });
}

RateFetch::~RateFetch() = default;

void RateFetch::start()
{
    m_deadline->start(m_limits.deadlineMs);
    connectTo(m_url);
}

void RateFetch::connectTo(const QUrl &url)
{
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
        m_socket->deleteLater();
    }
    m_url = url;
    m_buffer.clear();
    m_body.clear();
    m_headEnd = -1;
    m_length = -1;
    m_chunked = false;
    m_socket = new QSslSocket(this);
    // Qt's own buffer never holds more than one whole response may be.
    m_socket->setReadBufferSize(m_limits.maxBytes + 1);
    connect(m_socket, &QAbstractSocket::readyRead, this, &RateFetch::take);
    connect(m_socket, &QAbstractSocket::disconnected, this, [this, socket = m_socket] {
        take();
        if (socket != m_socket) // its last bytes were a redirect, followed now
            return;
        if (m_headEnd < 0)
            end(false);
        else
            checkBody(true);
    });
    connect(m_socket, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        // A server ending its reply by closing says so through disconnected().
        if (error != QAbstractSocket::RemoteHostClosedError)
            end(false);
    });
    const bool tls = url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    if (tls) {
        // Qt reads only the system's certificate folders, not the variable
        // every OpenSSL program honours; read here, where a fetch begins.
        if (const QList<QSslCertificate> authorities = RateEndpoint::authoritiesFromEnvironment();
            !authorities.isEmpty()) {
            QSslConfiguration config = m_socket->sslConfiguration();
            config.setCaCertificates(authorities);
            m_socket->setSslConfiguration(config);
        }
        connect(m_socket, &QSslSocket::encrypted, this, &RateFetch::sendRequest);
        m_socket->connectToHostEncrypted(url.host(), quint16(url.port(443)));
    } else {
        connect(m_socket, &QAbstractSocket::connected, this, &RateFetch::sendRequest);
        m_socket->connectToHost(url.host(), quint16(url.port(80)));
    }
}

void RateFetch::sendRequest()
{
    QByteArray target = m_url.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty())
        target = "/";
    if (m_url.hasQuery())
        target += '?' + m_url.query(QUrl::FullyEncoded).toLatin1();
    // The headers Qt's own network access sent, less the compressions this
    // reader does not undo; "close" makes the end of a reply without a length
    // the end of the connection.
    m_socket->write("GET " + target + " HTTP/1.1\r\nHost: " + m_url.authority(QUrl::FullyEncoded).toLatin1() +
                    "\r\nUser-Agent: Mozilla/5.0\r\nConnection: close\r\n\r\n");
}

void RateFetch::take()
{
    if (m_finished)
        return;
    m_buffer += m_socket->read(m_limits.maxBytes + 1 - m_buffer.size());
    if (m_buffer.size() > m_limits.maxBytes) {
        end(false);
        return;
    }
    if (m_headEnd < 0) {
        const qsizetype end = m_buffer.indexOf("\r\n\r\n");
        if (end < 0 || !parseHead(end))
            return;
    }
    checkBody(false);
}

// Reads the status line and headers; false when the fetch ended or moved on.
bool RateFetch::parseHead(qsizetype end)
{
    m_headEnd = end + 4;
    const QList<QByteArray> lines = m_buffer.left(end).split('\n');
    const QList<QByteArray> status = lines.value(0).trimmed().split(' ');
    bool ok = false;
    const int code = status.value(1).toInt(&ok);
    if (!status.value(0).startsWith("HTTP/1.") || !ok) {
        this->end(false);
        return false;
    }
    QByteArray location;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines.at(i).indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray name = lines.at(i).left(colon).trimmed().toLower();
        const QByteArray value = lines.at(i).mid(colon + 1).trimmed();
        if (name == "content-length")
            m_length = value.toLongLong(&ok);
        if (name == "content-length" && (!ok || m_length < 0 || m_length > m_limits.maxBytes)) {
            this->end(false);
            return false;
        }
        if (name == "transfer-encoding")
            m_chunked = value.toLower().contains("chunked");
        if (name == "location")
            location = value;
    }
    if (isRedirect(code) && !location.isEmpty()) {
        const QUrl target = m_url.resolved(QUrl::fromEncoded(location));
        if (++m_redirects > m_limits.maxRedirects || !RateEndpoint::mayRedirect(m_url, target))
            this->end(false);
        else
            connectTo(target);
        return false;
    }
    if (code < 200 || code > 299) {
        this->end(false);
        return false;
    }
    return true;
}

void RateFetch::checkBody(bool closed)
{
    if (m_finished)
        return;
    const QByteArray raw = m_buffer.mid(m_headEnd);
    if (m_chunked) {
        const Chunks state = dechunk(raw, &m_body);
        if (state == Chunks::Complete || state == Chunks::Invalid || closed)
            end(state == Chunks::Complete);
    } else if (m_length >= 0) {
        if (raw.size() >= m_length) {
            m_body = raw.left(m_length);
            end(true);
        } else if (closed) {
            end(false);
        }
    } else if (closed) {
        m_body = raw;
        end(true);
    }
}

void RateFetch::end(bool succeeded)
{
    if (m_finished)
        return;
    m_finished = true;
    m_succeeded = succeeded;
    if (!succeeded)
        m_body.clear();
    m_buffer.clear();
    m_deadline->stop();
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
    Q_EMIT finished();
}
