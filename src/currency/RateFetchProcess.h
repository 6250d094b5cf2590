#pragma once

#include "currency/fetch/RateFetch.h"

#include <QByteArray>
#include <QObject>
#include <QUrl>

class QProcess;
class QTimer;

// One rate request, made by the helper program larkspan-rate-fetch so that the
// organiser never loads the TLS libraries. The helper keeps the request's
// deadline, byte cap and redirect rules itself; this side holds it to them as
// well: what it writes is capped, and it is killed at the deadline.
class RateFetchProcess : public QObject
{
    Q_OBJECT

public:
    RateFetchProcess(const QUrl &url, const RateFetch::Limits &limits, QObject *parent = nullptr);
    ~RateFetchProcess() override;

    // Starts the helper; finished() follows, at the latest at the deadline
    // (at once when there is no helper to start).
    void start();

    bool succeeded() const { return m_succeeded; }
    QByteArray body() const { return m_body; }

    // The helper: beside the program (a build tree), else in the program's
    // libexec folder. Empty when neither is there.
    static QString helperProgram();
    // Tests, whose programs are elsewhere, name it.
    static void setHelperProgram(const QString &path);

Q_SIGNALS:
    // Emitted once; the helper has ended by then.
    void finished();

private:
    void take();
    void end(bool succeeded);

    QUrl m_url;
    RateFetch::Limits m_limits;
    QProcess *m_process;
    QTimer *m_deadline;
    QByteArray m_body;
    bool m_finished = false;
    bool m_succeeded = false;
};
