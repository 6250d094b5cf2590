#pragma once

#include <QByteArray>
#include <QDate>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QUrl>

class RateFetchProcess;

// Fetches the daily rate of the selected pair and keeps the last accepted
// rate of every pair in the settings, so the converter works offline. Only the
// reply to the latest refresh changes anything; older replies free themselves.
class RateClient : public QObject
{
    Q_OBJECT

public:
    // A whole request, however slowly its bytes arrive.
    static constexpr int defaultTimeoutMs = 15000;
    // A daily rate is a few dozen bytes and its headers a few hundred; a reply
    // near this, headers included, is not one.
    static constexpr qint64 maxReplyBytes = 64 * 1024;
    static constexpr int maxRedirects = 5;

    // The untranslated status texts.
    static constexpr char sameCurrency[] = "Same currency";
    static constexpr char fetching[] = "Fetching rate...";
    static constexpr char updating[] = "Cached rate \u00b7 Updating...";
    static constexpr char fetched[] = "Frankfurter \u00b7 Daily reference rate";
    static constexpr char unavailable[] = "Rate unavailable \u00b7 Try refresh";
    static constexpr char refreshFailed[] = "Cached rate \u00b7 Refresh failed";

    explicit RateClient(const QUrl &base, QObject *parent = nullptr);
    ~RateClient() override;

    void setTimeout(int ms) { m_timeoutMs = ms; }

    // Shows the cached rate of the pair at once and asks the service for today's.
    void refresh(const QString &from, const QString &to);

    // The current rate object; empty when no usable rate is known.
    QJsonObject rate() const { return m_rate; }
    bool hasRate() const { return !m_rate.isEmpty(); }
    double rateValue() const;
    QString from() const { return m_from; }
    QString to() const { return m_to; }
    QByteArray statusKey() const { return m_statusKey; }
    // A request for the current pair is on its way.
    bool isBusy() const { return m_busy; }
    int serial() const { return m_serial; }

Q_SIGNALS:
    // The current rate was set again (it may be the same one).
    void rateChanged();
    void statusChanged();
    void busyChanged(bool busy);

private:
    void send(int serial);
    void finish(RateFetchProcess *fetch, int serial, const QString &from, const QString &to);
    void setStatus(const char *key);
    void setBusy(bool busy);

    QUrl m_base;
    int m_timeoutMs = defaultTimeoutMs;
    int m_serial = 0;
    QJsonObject m_rate;
    QString m_from;
    QString m_to;
    QByteArray m_statusKey;
    bool m_busy = false;
};
