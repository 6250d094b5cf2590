#pragma once

#include <QString>
#include <QTemporaryDir>

// A throw-away home for one test: HOME and the XDG folders point into a
// temporary directory and QStandardPaths runs in test mode, so nothing a test
// does reaches the real user's settings, desktop or configuration.
class TestEnvironment
{
public:
    TestEnvironment();
    ~TestEnvironment();

    TestEnvironment(const TestEnvironment &) = delete;
    TestEnvironment &operator=(const TestEnvironment &) = delete;

    QString home() const { return m_dir.path(); }
    QString desktop() const;
    QString appConfigDir() const;

    // Writes a file (creating folders); returns its path.
    QString writeFile(const QString &relativePath, const QByteArray &content) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_savedHome;
};
