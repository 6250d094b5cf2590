#include "RateClient.h"

#include "currency/RateFetchProcess.h"
#include "currency/RateRecord.h"
#include "currency/fetch/RateEndpoint.h"

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
    auto *fetch = new RateFetchProcess(RateEndpoint::rateUrl(m_base, m_from, m_to),
                                       {m_timeoutMs, maxReplyBytes, maxRedirects}, this);
    connect(fetch, &RateFetchProcess::finished, this,
            [this, fetch, serial, from = m_from, to = m_to] { finish(fetch, serial, from, to); });
    fetch->start();
}

void RateClient::finish(RateFetchProcess *fetch, int serial, const QString &from, const QString &to)
{
    const QJsonObject object = RateRecord::parse(fetch->body());
    const bool accepted = fetch->succeeded() && RateRecord::isUsable(object, from, to, QDate::currentDate());
    fetch->deleteLater();
    if (serial != m_serial)
        return;
    setBusy(false);
    if (accepted) {
        m_rate = RateRecord::accepted(object);
        RateRecord::store(from, to, m_rate);
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
