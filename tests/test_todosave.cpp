#include "TestEnvironment.h"
#include "todo/TodoModel.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QStringList storedTitles(const QString &path)
{
    QStringList titles;
    for (const QJsonValue &task :
         QJsonDocument::fromJson(TestEnvironment::readFile(path)).object().value("tasks").toArray())
        titles.append(task.toObject().value("title").toString());
    return titles;
}

const QRegularExpression saveWarning("^Cannot save the to-do list: ");

// Makes every write beyond `bytes` fail while it lives, even for root.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit{bytes, m_saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
};

} // namespace

// Where the to-do list is written: a save that fails keeps the previous file
// and is tried again, and a link leads the save to the linked file.
class TestTodoSave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void failedSaveKeepsPreviousFileAndIsRetried()
    {
        const QByteArray before = R"({"tasks":[{"id":"1","title":"Kept","created":"2024-01-01"}]})";
        QVERIFY(!m_env->writeFile(path(), before).isEmpty());
        TodoModel model(path());
        {
            // The new list is longer than any write may be.
            FileSizeLimit limit(40);
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression("^Cannot save the to-do list: .*todo.json"));
            QSignalSpy counts(&model, &TodoModel::countsChanged);
            model.addTask("Will be saved later");
            QCOMPARE(counts.size(), 1); // announced even though the write failed
            QVERIFY(!model.isSaved());
        }
        QCOMPARE(TestEnvironment::readFile(path()), before);
        QCOMPARE(QDir(m_env->appConfigDir()).entryList({"todo.json.*"}, QDir::Files | QDir::Hidden),
                 QStringList());
        model.addTask("Next change");
        QVERIFY(model.isSaved());
        QCOMPARE(storedTitles(path()), (QStringList{"Next change", "Will be saved later", "Kept"}));
    }

    void saveIntoUnwritableFolder()
    {
        // A file where the folder belongs: even root cannot make the folder.
        const QString blocked = m_env->writeFile("blocked", "not a folder");
        const QString inside = blocked + "/sub/todo.json";
        TodoModel model(inside);
        QTest::ignoreMessage(QtWarningMsg, saveWarning);
        model.addTask("Still listed");
        QCOMPARE(model.rowCount(), 1);
        QVERIFY(!model.isSaved());
        QCOMPARE(TestEnvironment::readFile(blocked), "not a folder");

        if (geteuid() != 0) {
            const QString folder = m_env->home() + "/readonly";
            QVERIFY(QDir().mkpath(folder));
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
            TodoModel locked(folder + "/todo.json");
            QTest::ignoreMessage(QtWarningMsg, saveWarning);
            locked.addTask("Nope");
            QVERIFY(!locked.isSaved());
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }

    void symbolicLinkIsWrittenThrough()
    {
        const QString real =
            m_env->writeFile("dotfiles/todo.json", R"({"tasks":[{"id":"1","title":"Linked"}]})");
        QVERIFY(QDir().mkpath(m_env->appConfigDir()));
        QVERIFY(QFile::link(real, path()));
        TodoModel model(path());
        QCOMPARE(model.rowCount(), 1);
        model.addTask("Added");
        QVERIFY(QFileInfo(path()).isSymLink());
        QCOMPARE(storedTitles(real), (QStringList{"Added", "Linked"}));
    }

private:
    QString path() const { return m_env->appConfigDir() + "/todo.json"; }
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestTodoSave)
#include "test_todosave.moc"
