#include "shell/TransferRun.h"

#include "shell/TransferRules.h"

#include <QFileInfo>

TransferRun::TransferRun(Progress progress)
    : m_progress(std::move(progress))
{}

TransferRun::Result TransferRun::run(const QStringList &sources, const QString &targetFolder,
                                     FileTransfer::Mode mode)
{
    Result result;
    result.targets = QStringList(sources.size(), QString());
    m_totalFiles = int(sources.size());
    const QString folderError = prepareFolder(targetFolder);
    for (const QString &source : sources)
        m_totalBytes += sizeOf(source);
    report(0, true);
    for (qsizetype i = 0; i < sources.size(); ++i) {
        if (cancelled()) {
            result.cancelled = true;
            break;
        }
        m_error.clear();
        const QString name = QFileInfo(sources.at(i)).fileName();
        if (!folderError.isEmpty()) {
            result.failures.append(TransferRules::failure(name, folderError));
            continue;
        }
        result.targets[i] = transfer(sources.at(i), mode);
        if (!m_error.isEmpty())
            result.failures.append(TransferRules::failure(name, m_error));
        else if (result.targets.at(i).isEmpty())
            result.cancelled = true;
        ++m_doneFiles;
        report(0, false);
    }
    return result;
}

void TransferRun::report(qint64 currentBytes, bool now)
{
    if (!now && m_sinceReport.isValid() && m_sinceReport.elapsed() < TransferRules::reportIntervalMs)
        return;
    m_sinceReport.start();
    m_progress(m_doneBytes + currentBytes, m_totalBytes, m_doneFiles, m_totalFiles);
}
