#include "TestEnvironment.h"
#include "todo/TodoModel.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QtTest>

// Feeds the to-do loader thousands of damaged todo.json files: none may crash
// or hang it, and after the first change either the file's tasks all live on in
// the new file or the damaged file was kept byte for byte beside it.
class TestTodoFuzz : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mutatedFilesNeverLoseTheOriginal();

private:
    static QByteArray seedFile();
    static QByteArray mutate(QByteArray content, QRandomGenerator &random);
    void checkNothingLost(const QByteArray &original, const TodoModel &model, const QString &dir);
};

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

} // namespace

QByteArray TestTodoFuzz::seedFile()
{
    return R"({
    "tasks": [
        {"completed": false, "created": "2024-03-01", "id": "0b0c4c2e-1f0e-4a4e-9a51-5c4c1f6b7a01", "title": "Pay rent"},
        {"completed": true, "created": "2024-02-29", "id": "0b0c4c2e-1f0e-4a4e-9a51-5c4c1f6b7a02", "title": "Call mum"},
        {"completed": false, "created": "2023-12-31", "id": "0b0c4c2e-1f0e-4a4e-9a51-5c4c1f6b7a03", "title": "🎉 Party\nbring cake"},
        {"completed": false, "created": "2024-01-15", "id": "0b0c4c2e-1f0e-4a4e-9a51-5c4c1f6b7a04", "title": "اتصل بأحمد"}
    ]
}
)";
}

QByteArray TestTodoFuzz::mutate(QByteArray content, QRandomGenerator &random)
{
    static const QByteArray tokens[] = {"{",       "}",    "[",    "]",     ",",         ":",
                                        "\"",      "null", "true", "1e999", "\"title\"", "\"tasks\"",
                                        "\\u0000", "\xff", "\xc3", "  "};
    const int edits = 1 + random.bounded(4);
    for (int e = 0; e < edits && !content.isEmpty(); ++e) {
        const int at = random.bounded(int(content.size()));
        switch (random.bounded(6)) {
        case 0: // flip a bit
            content[at] = char(content.at(at) ^ (1 << random.bounded(8)));
            break;
        case 1: // cut the file short, as a full disk might
            content.truncate(at);
            break;
        case 2: // drop a stretch
            content.remove(at, 1 + random.bounded(12));
            break;
        case 3: // insert a JSON-ish token
            content.insert(at, tokens[random.bounded(int(std::size(tokens)))]);
            break;
        case 4: // repeat a stretch
            content.insert(at, content.mid(random.bounded(int(content.size())), 1 + random.bounded(40)));
            break;
        default: // a random byte
            content[at] = char(random.bounded(256));
            break;
        }
    }
    return content;
}

void TestTodoFuzz::checkNothingLost(const QByteArray &original, const TodoModel &model, const QString &dir)
{
    const QStringList copies = QDir(dir).entryList({"todo.json.unreadable-*"}, QDir::Files);
    if (!copies.isEmpty()) {
        QCOMPARE(copies.size(), 1);
        QCOMPARE(readAll(dir + "/" + copies.constFirst()), original);
        return;
    }
    // No copy: every stored task must live on, unchanged, after the new one.
    const QJsonArray before = QJsonDocument::fromJson(original).object().value("tasks").toArray();
    const QJsonArray after = QJsonDocument::fromJson(readAll(model.path())).object().value("tasks").toArray();
    qsizetype next = 1;
    for (const QJsonValue &value : before) {
        const QJsonObject task = value.toObject();
        const QString title = task.value("title").toString().trimmed();
        if (title.isEmpty())
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

void TestTodoFuzz::mutatedFilesNeverLoseTheOriginal()
{
    TestEnvironment env;
    // Memory-backed when the machine has it: every save syncs to the disk.
    QTemporaryDir memory(QDir("/dev/shm").exists() ? QString("/dev/shm/todo-fuzz-XXXXXX")
                                                   : env.home() + "/fuzz-XXXXXX");
    QVERIFY(memory.isValid());
    const QString dir = memory.path();
    const QString path = dir + "/todo.json";
    QVERIFY(QDir().mkpath(dir));
    QRandomGenerator random(20240301);
    const QtMessageHandler previous = qInstallMessageHandler(quiet);
    constexpr int rounds = 2500;
    int withCopy = 0;
    for (int round = 0; round < rounds; ++round) {
        const QByteArray content = mutate(seedFile(), random);
        for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(dir + "/" + name);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();

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

QTEST_GUILESS_MAIN(TestTodoFuzz)
#include "test_todofuzz.moc"
