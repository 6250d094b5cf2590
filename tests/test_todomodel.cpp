#include "TestEnvironment.h"
#include "todo/TodoFile.h"
#include "todo/TodoModel.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QRegularExpression uuidForm("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QJsonArray storedTasks(const QString &path)
{
    return QJsonDocument::fromJson(readAll(path)).object().value("tasks").toArray();
}

QStringList storedTitles(const QString &path)
{
    QStringList titles;
    for (const QJsonValue &task : storedTasks(path))
        titles.append(task.toObject().value("title").toString());
    return titles;
}

QStringList titles(const TodoModel &model)
{
    QStringList result;
    for (const TodoTask &task : model.tasks())
        result.append(task.title);
    return result;
}

} // namespace

class TestTodoModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void defaultLocation();
    void loadRules_data();
    void loadRules();
    void loadingNeverWrites();
    void damagedFileIsCopiedBeforeReplaced_data();
    void damagedFileIsCopiedBeforeReplaced();
    void unreadablePathIsNeverReplaced();
    void slots_data();
    void slots();
    void unchangedSlotsDoNothing_data();
    void unchangedSlotsDoNothing();
    void fileFormat();
    void awkwardTitlesRoundTrip();
    void manyTasks();

private:
    QString path() const { return m_env->appConfigDir() + "/todo.json"; }
    void write(const QByteArray &content) const
    {
        QDir().mkpath(m_env->appConfigDir());
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    QStringList copies() const
    {
        return QDir(m_env->appConfigDir()).entryList({"todo.json.unreadable-*"}, QDir::Files);
    }
    // A model on path() with its notifications checked for consistency.
    std::unique_ptr<TodoModel> open()
    {
        auto model = std::make_unique<TodoModel>(path());
        m_tester = std::make_unique<QAbstractItemModelTester>(
            model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        return model;
    }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void TestTodoModel::init()
{
    m_env = std::make_unique<TestEnvironment>();
}

void TestTodoModel::cleanup()
{
    m_tester.reset();
    m_env.reset();
}

void TestTodoModel::defaultLocation()
{
    QCoreApplication::setOrganizationName("brim-vale");
    QCoreApplication::setApplicationName("brim-vale");
    TodoModel model;
    QCOMPARE(model.path(), m_env->appConfigDir() + "/todo.json");
    model.addTask("x");
    QVERIFY(QFile::exists(path()));
}

void TestTodoModel::loadRules_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QList<bool>>("completed");
    QTest::addColumn<QStringList>("ids");     // "new": a fresh UUID
    QTest::addColumn<QStringList>("created"); // "today": the load day
    QTest::addColumn<bool>("copied");

    QTest::newRow("complete")
        << QByteArray(R"({"tasks":[{"id":"a","title":"One","completed":true,"created":"2024-02-29"},
                                   {"id":"b","title":"Two","completed":false,"created":"2023-01-05"}]})")
        << QStringList{"One", "Two"} << QList<bool>{true, false} << QStringList{"a", "b"}
        << QStringList{"2024-02-29", "2023-01-05"} << false;
    QTest::newRow("title only") << QByteArray(R"({"tasks":[{"title":"  Buy milk  "}]})")
                                << QStringList{"Buy milk"} << QList<bool>{false} << QStringList{"new"}
                                << QStringList{"today"} << false;
    QTest::newRow("impossible date") << QByteArray(
                                            R"({"tasks":[{"id":"a","title":"A","created":"2024-02-30"}]})")
                                     << QStringList{"A"} << QList<bool>{false} << QStringList{"a"}
                                     << QStringList{"today"} << true;
    QTest::newRow("word for a date") << QByteArray(
                                            R"({"tasks":[{"id":"a","title":"A","created":"yesterday"}]})")
                                     << QStringList{"A"} << QList<bool>{false} << QStringList{"a"}
                                     << QStringList{"today"} << true;
    QTest::newRow("blank title dropped")
        << QByteArray(R"({"tasks":[{"id":"a","title":"   "},{"id":"b","title":"B"}]})") << QStringList{"B"}
        << QList<bool>{false} << QStringList{"b"} << QStringList{"today"} << false;
    QTest::newRow("title of another type")
        << QByteArray(R"({"tasks":[{"id":"a","title":42},{"id":"b","title":"B"}]})") << QStringList{"B"}
        << QList<bool>{false} << QStringList{"b"} << QStringList{"today"} << true;
    QTest::newRow("non-objects skipped")
        << QByteArray(R"({"tasks":[7,"x",null,{"id":"b","title":"B"}]})") << QStringList{"B"}
        << QList<bool>{false} << QStringList{"b"} << QStringList{"today"} << true;
    QTest::newRow("completed not a bool")
        << QByteArray(R"({"tasks":[{"id":"a","title":"A","completed":"yes"}]})") << QStringList{"A"}
        << QList<bool>{false} << QStringList{"a"} << QStringList{"today"} << true;
    QTest::newRow("unknown member") << QByteArray(R"({"tasks":[{"id":"a","title":"A","due":"2025-01-01"}]})")
                                    << QStringList{"A"} << QList<bool>{false} << QStringList{"a"}
                                    << QStringList{"today"} << true;
    QTest::newRow("same id twice") << QByteArray(
                                          R"({"tasks":[{"id":"d","title":"A"},{"id":"d","title":"B"}]})")
                                   << QStringList{"A", "B"} << QList<bool>{false, false}
                                   << QStringList{"d", "d"} << QStringList{"today", "today"} << false;
    QTest::newRow("not JSON") << QByteArray("{\"tasks\":[{\"title\":\"cut off") << QStringList{}
                              << QList<bool>{} << QStringList{} << QStringList{} << true;
    QTest::newRow("array at the top") << QByteArray(R"([{"title":"A"}])") << QStringList{} << QList<bool>{}
                                      << QStringList{} << QStringList{} << true;
    QTest::newRow("tasks not an array") << QByteArray(R"({"tasks":{"title":"A"}})") << QStringList{}
                                        << QList<bool>{} << QStringList{} << QStringList{} << true;
    QTest::newRow("empty object") << QByteArray("{}") << QStringList{} << QList<bool>{} << QStringList{}
                                  << QStringList{} << false;
    QTest::newRow("empty file") << QByteArray() << QStringList{} << QList<bool>{} << QStringList{}
                                << QStringList{} << false;
    QTest::newRow("invalid UTF-8 in a title")
        << QByteArray("{\"tasks\":[{\"id\":\"a\",\"title\":\"caf\xe9\"}]}") << QStringList{} << QList<bool>{}
        << QStringList{} << QStringList{} << true;
}

void TestTodoModel::loadRules()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, titles);
    QFETCH(QList<bool>, completed);
    QFETCH(QStringList, ids);
    QFETCH(QStringList, created);
    QFETCH(bool, copied);
    write(content);

    if (copied)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not be fully read; it was kept as "));
    auto model = open();
    QCOMPARE(model->rowCount(), titles.size());
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row);
        QCOMPARE(index.data(Qt::DisplayRole).toString(), titles.at(row));
        QCOMPARE(index.data(Qt::ToolTipRole).toString(), titles.at(row));
        QCOMPARE(index.data(TodoModel::CompletedRole).toBool(), completed.at(row));
        QCOMPARE(index.data(Qt::CheckStateRole).toInt(), completed.at(row) ? 2 : 0);
        const QString id = index.data(TodoModel::IdRole).toString();
        if (ids.at(row) == "new")
            QVERIFY2(uuidForm.match(id).hasMatch(), qPrintable(id));
        else
            QCOMPARE(id, ids.at(row));
        const QDate day = index.data(TodoModel::CreatedRole).toDate();
        QCOMPARE(day, created.at(row) == "today" ? QDate::currentDate()
                                                 : QDate::fromString(created.at(row), Qt::ISODate));
    }
    QCOMPARE(copies().size(), copied ? 1 : 0);
    if (copied)
        QCOMPARE(readAll(m_env->appConfigDir() + "/" + copies().constFirst()), content);
    QCOMPARE(model->activeCount() + model->completedCount(), model->rowCount());
}

void TestTodoModel::loadingNeverWrites()
{
    const QByteArray content = R"({"tasks":[{"title":"   "},{"title":"Kept as written"}]})";
    write(content);
    {
        auto model = open();
        QCOMPARE(titles(*model), QStringList{"Kept as written"});
    }
    QCOMPARE(readAll(path()), content);
}

void TestTodoModel::damagedFileIsCopiedBeforeReplaced_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("one bad byte") << QByteArray(R"({"tasks":[{"title":"Pay rent"},{"title":"Call mum"}])");
    QTest::newRow("hand-added member")
        << QByteArray(R"({"tasks":[{"title":"Pay rent","note":"by Friday"}]})");
}

void TestTodoModel::damagedFileIsCopiedBeforeReplaced()
{
    QFETCH(QByteArray, content);
    write(content);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not be fully read; it was kept as "));
    auto model = open();
    model->addTask("New");
    QCOMPARE(storedTitles(path()).constFirst(), "New");
    QCOMPARE(copies().size(), 1);
    QCOMPARE(model->keptCopy(), m_env->appConfigDir() + "/" + copies().constFirst());
    QCOMPARE(readAll(model->keptCopy()), content);
    // Later changes make no further copies.
    model->addTask("Newer");
    QCOMPARE(copies().size(), 1);
}

void TestTodoModel::unreadablePathIsNeverReplaced()
{
    // A folder where the file belongs: nothing of ours to replace.
    QVERIFY(QDir().mkpath(path()));
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("cannot be read; to-do changes are kept in memory only"));
    auto model = open();
    QSignalSpy counts(model.get(), &TodoModel::countsChanged);
    model->addTask("In memory");
    QCOMPARE(titles(*model), QStringList{"In memory"});
    QCOMPARE(counts.size(), 1);
    QVERIFY(!model->isSaved());
    QVERIFY(QFileInfo(path()).isDir());
}

void TestTodoModel::slots_data()
{
    // Starting list (newest first): A active, B done, C active, D done.
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QList<bool>>("completedAfter");
    QTest::addColumn<QString>("notification");

    QTest::newRow("add") << "add" << QStringList{"Buy milk", "A", "B", "C", "D"}
                         << QList<bool>{false, false, true, false, true} << "inserted 0";
    QTest::newRow("complete") << "complete 0" << QStringList{"A", "B", "C", "D"}
                              << QList<bool>{true, true, false, true} << "changed 0";
    QTest::newRow("reopen") << "reopen 1" << QStringList{"A", "B", "C", "D"}
                            << QList<bool>{false, false, false, true} << "changed 1";
    QTest::newRow("toggle") << "toggle 3" << QStringList{"A", "B", "C", "D"}
                            << QList<bool>{false, true, false, false} << "changed 3";
    QTest::newRow("remove") << "remove 2" << QStringList{"A", "B", "D"} << QList<bool>{false, true, true}
                            << "removed 2";
    QTest::newRow("clear completed") << "clear" << QStringList{"A", "C"} << QList<bool>{false, false}
                                     << "reset";
}

void TestTodoModel::slots()
{
    QFETCH(QString, operation);
    QFETCH(QStringList, after);
    QFETCH(QList<bool>, completedAfter);
    QFETCH(QString, notification);
    write(R"({"tasks":[{"id":"1","title":"A"},{"id":"2","title":"B","completed":true},
                      {"id":"3","title":"C"},{"id":"4","title":"D","completed":true}]})");
    auto model = open();
    QSignalSpy counts(model.get(), &TodoModel::countsChanged);
    QSignalSpy inserted(model.get(), &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(model.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy removed(model.get(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(model.get(), &QAbstractItemModel::modelReset);
    // countsChanged comes once the file holds the change.
    QStringList onDiskAtSignal;
    connect(model.get(), &TodoModel::countsChanged, this, [&] { onDiskAtSignal = storedTitles(path()); });

    const QStringList words = operation.split(' ');
    const int row = words.size() > 1 ? words.at(1).toInt() : -1;
    if (words.first() == "add")
        model->addTask("  Buy milk  ");
    else if (words.first() == "complete")
        model->setCompleted(row, true);
    else if (words.first() == "reopen")
        model->setCompleted(row, false);
    else if (words.first() == "toggle")
        model->toggleCompleted(row);
    else if (words.first() == "remove")
        model->removeTask(row);
    else
        model->clearCompleted();

    QCOMPARE(titles(*model), after);
    QCOMPARE(counts.size(), 1);
    QCOMPARE(onDiskAtSignal, after);
    const QJsonArray stored = storedTasks(path());
    for (qsizetype i = 0; i < after.size(); ++i)
        QCOMPARE(stored.at(i).toObject().value("completed").toBool(), completedAfter.at(i));
    QCOMPARE(model->completedCount(), int(completedAfter.count(true)));

    const QStringList expected = notification.split(' ');
    QCOMPARE(inserted.size(), expected.first() == "inserted" ? 1 : 0);
    QCOMPARE(changed.size(), expected.first() == "changed" ? 1 : 0);
    QCOMPARE(removed.size(), expected.first() == "removed" ? 1 : 0);
    QCOMPARE(reset.size(), expected.first() == "reset" ? 1 : 0);
    if (expected.first() == "changed") {
        const QModelIndex topLeft = changed.first().at(0).value<QModelIndex>();
        const QModelIndex bottomRight = changed.first().at(1).value<QModelIndex>();
        QCOMPARE(topLeft.row(), expected.at(1).toInt());
        QCOMPARE(bottomRight.row(), expected.at(1).toInt());
        QCOMPARE(changed.first().at(2).value<QList<int>>(),
                 (QList<int>{Qt::CheckStateRole, TodoModel::CompletedRole}));
    }
    if (expected.first() == "inserted" || expected.first() == "removed") {
        QSignalSpy &spy = expected.first() == "inserted" ? inserted : removed;
        QCOMPARE(spy.first().at(1).toInt(), expected.at(1).toInt());
        QCOMPARE(spy.first().at(2).toInt(), expected.at(1).toInt());
    }
    if (operation == "add") {
        const QModelIndex added = model->index(0);
        QVERIFY(uuidForm.match(added.data(TodoModel::IdRole).toString()).hasMatch());
        QCOMPARE(added.data(TodoModel::CreatedRole).toDate(), QDate::currentDate());
        QVERIFY(!added.data(TodoModel::CompletedRole).toBool());
    }
}

void TestTodoModel::unchangedSlotsDoNothing_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("blank add") << "add";
    QTest::newRow("complete a completed task") << "complete 1";
    QTest::newRow("toggle -1") << "toggle -1";
    QTest::newRow("remove count") << "remove 2";
    QTest::newRow("set beyond the end") << "complete 7";
    QTest::newRow("clear without completed") << "clear";
}

void TestTodoModel::unchangedSlotsDoNothing()
{
    QFETCH(QString, operation);
    const QByteArray content =
        R"({"tasks":[{"id":"1","title":"A"},{"id":"2","title":"B","completed":true}]})";
    write(content);
    auto model = open();
    if (operation == "clear")
        model->removeTask(1);
    const QByteArray before = readAll(path());
    QSignalSpy counts(model.get(), &TodoModel::countsChanged);
    QSignalSpy reset(model.get(), &QAbstractItemModel::modelReset);
    const int row = operation.section(' ', 1).toInt();
    if (operation == "add") {
        model->addTask("   ");
        model->addTask(QString());
        model->addTask("\n\t");
    } else if (operation.startsWith("complete")) {
        model->setCompleted(row, true);
    } else if (operation.startsWith("toggle")) {
        model->toggleCompleted(row);
    } else if (operation.startsWith("remove")) {
        model->removeTask(row);
    } else {
        model->clearCompleted();
    }
    QCOMPARE(counts.size(), 0);
    QCOMPARE(reset.size(), 0);
    QCOMPARE(readAll(path()), before);
}

void TestTodoModel::fileFormat()
{
    {
        TodoModel model(path());
        model.addTask("First");
        model.setCompleted(0, true);
    }
    const QByteArray content = readAll(path());
    const QRegularExpression expected("^\\{\n    \"tasks\": \\[\n        \\{\n            \"completed\": "
                                      "true,\n            \"created\": \"" +
                                      QDate::currentDate().toString(Qt::ISODate) +
                                      "\",\n            \"id\": \"[0-9a-f-]{36}\",\n            \"title\": "
                                      "\"First\"\n        \\}\n    \\]\n\\}\n$");
    QVERIFY2(expected.match(QString::fromUtf8(content)).hasMatch(), content.constData());
    QCOMPARE(TodoModel(path()).tasks().constFirst().completed, true);

    QCOMPARE(TodoModel(path()).roleNames().value(TodoModel::CompletedRole), "completed");
    QCOMPARE(TodoModel(path()).roleNames().value(TodoModel::IdRole), "id");
    QCOMPARE(TodoModel(path()).roleNames().value(TodoModel::CreatedRole), "created");
    QCOMPARE(TodoModel(path()).roleNames().value(Qt::DisplayRole), "display");
}

void TestTodoModel::awkwardTitlesRoundTrip()
{
    const QStringList awkward{QString(2000, 'x'),
                              "first line\nsecond line",
                              "🎉 party 👩‍👩‍👧",
                              "اتصل بأحمد غدًا",
                              "quote \" backslash \\ tab\t inside",
                              "\u202eright-to-left override"};
    {
        TodoModel model(path());
        for (const QString &title : awkward)
            model.addTask(title);
    }
    TodoModel again(path());
    QStringList expected = awkward;
    std::reverse(expected.begin(), expected.end());
    QCOMPARE(titles(again), expected);
    QVERIFY(copies().isEmpty());
}

void TestTodoModel::manyTasks()
{
    QList<TodoTask> tasks;
    for (int i = 999; i >= 0; --i)
        tasks.append({TodoFile::newId(), QString("Task %1").arg(i), false, QDate(2024, 1, 1)});
    write(TodoFile::serialise(tasks));
    {
        auto model = open();
        QCOMPARE(model->rowCount(), 1000);
        model->addTask("Task 1000");
        model->setCompleted(500, true);
        model->removeTask(0);
        model->removeTask(998);
    }
    TodoModel again(path());
    QCOMPARE(again.rowCount(), 999);
    QCOMPARE(again.completedCount(), 1);
    QCOMPARE(again.tasks().at(499).title, "Task 500");
    QVERIFY(again.tasks().at(499).completed);
    QCOMPARE(again.tasks().constFirst().title, "Task 999");
    QCOMPARE(again.tasks().at(997).title, "Task 2");
    QCOMPARE(again.tasks().constLast().title, "Task 0");
}

QTEST_GUILESS_MAIN(TestTodoModel)
#include "test_todomodel.moc"
