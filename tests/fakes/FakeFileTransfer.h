#pragma once

#include "shell/FileTransfer.h"

// A transfer that only records what it was asked; the test ends it with finish().
class FakeFileTransfer : public FileTransfer
{
    Q_OBJECT

public:
    using FileTransfer::FileTransfer;

    void start(const QStringList &sources, const QString &targetFolder, Mode mode) override
    {
        m_sources = sources;
        m_targetFolder = targetFolder;
        m_mode = mode;
    }
    void cancel() override { m_cancelled = true; }

    void finish(const QStringList &targets, const QStringList &failures = {}, bool cancelled = false)
    {
        Q_EMIT finished(targets, failures, cancelled);
    }

    QStringList m_sources;
    QString m_targetFolder;
    Mode m_mode = Mode::Automatic;
    bool m_cancelled = false;
};
