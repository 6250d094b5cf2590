#include "TestEnvironment.h"
#include "todo/TodoModel.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QtTest>

namespace {

const QByteArray seed = R"({
    "tasks": [
        {"completed": false, "created": "2024-03-01", "id": "0b0c4c2e-1f0e-4a4e-9a51-5c4c1f6b7a01", "title": "Pay rent"},
        {"completed": true, "created": "2024-02-29", "id": "0b0c4c2e-1f0e-4a4e-9a51-5c4c1f6b7a02", "title": "Call mum"},
        {"completed": false, "created": "2023-12-31", "id": "0b0c4c2e-1f0e-4a4e-9a51-5c4c1f6b7a03", "title": "🎉 Party\nbring cake"},
        {"completed": false, "created": "2024-01-15", "id": "0b0c4c2e-1f0e-4a4e-9a51-5c4c1f6b7a04", "title": "اتصل بأحمد"}
    ]
}
)";

QJsonArray tasksIn(const QByteArray &content)
{
    return QJsonDocument::fromJson(content).object().value("tasks").toArray();
}

void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

// Bit flips, truncation (a full disk), dropped and repeated stretches, JSON-ish tokens, random bytes.
QByteArray mutate(QByteArray content, QRandomGenerator &random)
{
    static const QByteArray tokens[] = {"{",       "}",    "[",    "]",     ",",         ":",
                                        "\"",      "null", "true", "1e999", "\"title\"", "\"tasks\"",
                                        "\\u0000", "\xff", "\xc3", "  "};
    const int edits = 1 + random.bounded(4);
    for (int e = 0; e < edits && !content.isEmpty(); ++e) {
        const int at = random.bounded(int(content.size()));
        const int kind = random.bounded(6);
        if (kind == 0)
            content[at] = char(content.at(at) ^ (1 << random.bounded(8)));
        else if (kind == 1)
            content.truncate(at);
        else if (kind == 2)
            content.remove(at, 1 + random.bounded(12));
        else if (kind == 3)
            content.insert(at, tokens[random.bounded(int(std::size(tokens)))]);
        else if (kind == 4)
            content.insert(at, content.mid(random.bounded(int(content.size())), 1 + random.bounded(40)));
        else
            content[at] = char(random.bounded(256));
    }
    return content;
}

// Either the damaged file was kept byte for byte beside the new one, or every
// task it held lives on, unchanged, after the one just added.
void checkNothingLost(const QByteArray &original, const TodoModel &model, const QString &dir)
{
    const QStringList copies = QDir(dir).entryList({"todo.json.unreadable-*"}, QDir::Files);
    if (!copies.isEmpty()) {
        QCOMPARE(copies.size(), 1);
        QCOMPARE(TestEnvironment::readFile(dir + "/" + copies.constFirst()), original);
        return;
    }
    const QJsonArray after = tasksIn(TestEnvironment::readFile(model.path()));
    qsizetype next = 1;
    for (const QJsonValue &value : tasksIn(original)) {
        const QJsonObject task = value.toObject();
        // Titles are written back as they were read, spaces around them included.
        const QString title = task.value("title").toString();
        if (title.trimmed().isEmpty())
            continue;
        QVERIFY2(next < after.size(), original.constData());
        const QJsonObject kept = after.at(next++).toObject();
        QCOMPARE(kept.value("title").toString(), title);
        QCOMPARE(kept.value("completed").toBool(), task.value("completed").toBool());
        if (!task.value("id").toString().isEmpty())
            QCOMPARE(kept.value("id"), task.value("id"));
        // Qt reads "2024/02-29" as the ISO date it is written back as.
        const QDate created = QDate::fromString(task.value("created").toString(), Qt::ISODate);
        if (created.isValid())
            QCOMPARE(QDate::fromString(kept.value("created").toString(), Qt::ISODate), created);
    }
    QCOMPARE(next, after.size());
}

} // namespace

// Thousands of damaged todo.json files: none may crash or hang the loader, and none may cost the user a task.
class TestTodoFuzz : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mutatedFilesNeverLoseTheOriginal()
    {
        TestEnvironment env;
        // Memory-backed when the machine has it: every save syncs to the disk.
        QTemporaryDir memory(QDir("/dev/shm").exists() ? QString("/dev/shm/todo-fuzz-XXXXXX")
                                                       : env.home() + "/fuzz-XXXXXX");
        QVERIFY(memory.isValid());
        const QString dir = memory.path();
        const QString path = dir + "/todo.json";
        QRandomGenerator random(20240301);
        const QtMessageHandler previous = qInstallMessageHandler(quiet);
        constexpr int rounds = 2500;
        int withCopy = 0;
        for (int round = 0; round < rounds; ++round) {
            const QByteArray content = mutate(seed, random);
            for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
                QFile::remove(dir + "/" + name);
            QVERIFY(!env.writeFile(path, content).isEmpty());

            TodoModel model(path);
            QVERIFY(model.rowCount() <= 64);
            for (const TodoTask &task : model.tasks()) {
                QVERIFY(!task.title.isEmpty() && task.title == task.title.trimmed());
                QVERIFY(!task.id.isEmpty());
                QVERIFY(task.created.isValid());
            }
            model.addTask("after the damage");
            QVERIFY(model.isSaved());
            checkNothingLost(content, model, dir);
            if (QTest::currentTestFailed()) {
                qInstallMessageHandler(previous);
                qWarning() << "round" << round << "content" << content;
                return;
            }
            withCopy += QDir(dir).entryList({"todo.json.unreadable-*"}, QDir::Files).isEmpty() ? 0 : 1;
        }
        qInstallMessageHandler(previous);
        // The mutations must exercise both outcomes, or the test proves little.
        QVERIFY2(withCopy > rounds / 10 && withCopy < rounds - rounds / 20,
                 qPrintable(QString::number(withCopy)));
    }
};

QTEST_GUILESS_MAIN(TestTodoFuzz)
#include "test_todofuzz.moc"
