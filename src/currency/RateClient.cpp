#include "RateClient.h"

#include "currency/RateEndpoint.h"
#include "currency/RateRecord.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>

struct RateClient::Pending
{
    int serial = 0;
    QString from;
    QString to;
    QByteArray body;
    bool failed = false;
};

RateClient::RateClient(const QUrl &base, QObject *parent)
    : QObject(parent)
    , m_base(base)
{}

RateClient::~RateClient() = default;

double RateClient::rateValue() const
{
    return RateRecord::value(m_rate);
}

void RateClient::refresh(const QString &from, const QString &to)
{
    const int serial = ++m_serial;
    m_from = from;
    m_to = to;
    const QDate today = QDate::currentDate();
    m_rate = RateRecord::cached(from, to, today);
    setBusy(false);
    if (from == to) {
        m_rate = RateRecord::identity(from, today);
        Q_EMIT rateChanged();
        setStatus(sameCurrency);
        return;
    }
    Q_EMIT rateChanged();
    setStatus(m_rate.isEmpty() ? fetching : updating);
    setBusy(true);
    send(serial);
}

void RateClient::send(int serial)
{
    // Made at the first request: a network manager costs some half a megabyte
    // resident, which a converter that is never shown should not.
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    QNetworkRequest request(RateEndpoint::rateUrl(m_base, m_from, m_to));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(maxRedirects);
    // The deadline below covers the whole request; this only ends a silent one early.
    request.setTransferTimeout(m_timeoutMs);
    QNetworkReply *reply = m_network->get(request);

    auto pending = std::make_shared<Pending>();
    pending->serial = serial;
    pending->from = m_from;
    pending->to = m_to;
    const QUrl requested = request.url();

    const auto abandon = [reply, pending] {
        pending->failed = true;
        reply->abort();
    };
    connect(reply, &QNetworkReply::redirected, reply, [reply, requested, abandon](const QUrl &target) {
        if (RateEndpoint::mayRedirect(requested, target))
            Q_EMIT reply->redirectAllowed();
        else
            abandon();
    });
    // A server that announces or sends more than a rate can be is not one.
    connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, abandon] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maxReplyBytes)
            abandon();
    });
    connect(reply, &QIODevice::readyRead, reply, [reply, pending, abandon] {
        if (pending->failed)
            return;
        pending->body += reply->read(maxReplyBytes + 1 - pending->body.size());
        if (pending->body.size() > maxReplyBytes)
            abandon();
    });
    // A total deadline: a server that drips a byte every few seconds never lets
    // an idle timer fire.
    auto *deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, reply, abandon);
    deadline->start(m_timeoutMs);

    connect(reply, &QNetworkReply::finished, this, [this, reply, pending] { finish(reply, *pending); });
}

void RateClient::finish(QNetworkReply *reply, const Pending &pending)
{
    QByteArray body = pending.body;
    if (!pending.failed && body.size() <= maxReplyBytes)
        body += reply->read(maxReplyBytes + 1 - body.size());
    const QJsonObject object = RateRecord::parse(body);
    const bool accepted = !pending.failed && body.size() <= maxReplyBytes &&
                          reply->error() == QNetworkReply::NoError &&
                          RateRecord::isUsable(object, pending.from, pending.to, QDate::currentDate());
    reply->deleteLater();
    if (pending.serial != m_serial)
        return;
    setBusy(false);
    if (accepted) {
        m_rate = RateRecord::accepted(object);
        RateRecord::store(pending.from, pending.to, m_rate);
        Q_EMIT rateChanged();
        setStatus(fetched);
        return;
    }
    Q_EMIT rateChanged();
    setStatus(m_rate.isEmpty() ? unavailable : refreshFailed);
}

void RateClient::setStatus(const char *key)
{
    m_statusKey = QByteArray(key);
    Q_EMIT statusChanged();
}

void RateClient::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    Q_EMIT busyChanged(busy);
}
