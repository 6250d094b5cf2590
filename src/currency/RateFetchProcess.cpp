#include "RateFetchProcess.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

namespace {

// Time for the helper to start and end beyond the request's own deadline,
// which it keeps itself.
constexpr int startAndEndMs = 2000;

QString &namedHelper()
{
    static QString path;
    return path;
}

bool isProgram(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

RateFetchProcess::RateFetchProcess(const QUrl &url, const RateFetch::Limits &limits, QObject *parent)
    : QObject(parent)
    , m_url(url)
    , m_limits(limits)
    , m_process(new QProcess(this))
    , m_deadline(new QTimer(this))
{
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, [this] { end(false); });
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(QProcess::nullDevice());
    connect(m_process, &QProcess::readyReadStandardOutput, this, &RateFetchProcess::take);
    connect(m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        take();
        end(status == QProcess::NormalExit && code == 0);
    });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            end(false);
    });
}

RateFetchProcess::~RateFetchProcess()
{
    // Never leave a helper behind, nor wait on one that hangs.
    if (m_process->state() != QProcess::NotRunning) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(1000);
    }
}

QString RateFetchProcess::helperProgram()
{
    if (!namedHelper().isEmpty())
        return namedHelper();
    const QString dir = QCoreApplication::applicationDirPath();
    const QString candidates[] = {
        dir + QLatin1String("/" LARKSPAN_RATE_FETCH_NAME),
        dir + QLatin1String("/" LARKSPAN_RATE_FETCH_DIR "/" LARKSPAN_RATE_FETCH_NAME)};
    for (const QString &path : candidates) {
        if (isProgram(path))
            return QFileInfo(path).canonicalFilePath();
    }
    return {};
}

void RateFetchProcess::setHelperProgram(const QString &path)
{
    namedHelper() = path;
}

void RateFetchProcess::start()
{
    const QString program = helperProgram();
    if (program.isEmpty()) {
        // Reported through the status like any failed request, after start() returned.
        QTimer::singleShot(0, this, [this] { end(false); });
        return;
    }
    m_deadline->start(m_limits.deadlineMs + startAndEndMs);
    m_process->start(program, {QString::fromLatin1(m_url.toEncoded()), QString::number(m_limits.deadlineMs),
                               QString::number(m_limits.maxBytes), QString::number(m_limits.maxRedirects)});
}

void RateFetchProcess::take()
{
    if (m_finished)
        return;
    m_body += m_process->read(m_limits.maxBytes + 1 - m_body.size());
    if (m_body.size() > m_limits.maxBytes)
        end(false);
}

void RateFetchProcess::end(bool succeeded)
{
    if (m_finished)
        return;
    m_finished = true;
    m_succeeded = succeeded;
    m_deadline->stop();
    if (!succeeded)
        m_body.clear();
    if (m_process->state() != QProcess::NotRunning) {
        m_process->disconnect(this);
        m_process->kill();
    }
    Q_EMIT finished();
}
