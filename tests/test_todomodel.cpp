#include "TestEnvironment.h"
#include "todo/TodoModel.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

const QRegularExpression uuidForm("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$");
const QRegularExpression keptWarning("could not be fully read; it was kept as ");
const QByteArray fourTasks = R"({"tasks":[{"id":"1","title":"A"},{"id":"2","title":"B","completed":true},
                                {"id":"3","title":"C"},{"id":"4","title":"D","completed":true}]})";

// Titles in order as the list shows them, a completed task's marked with a trailing '*'.
QStringList stored(const QString &path)
{
    QStringList result;
    for (const QJsonValue &value :
         QJsonDocument::fromJson(TestEnvironment::readFile(path)).object().value("tasks").toArray())
        result.append(value["title"].toString().trimmed() + (value["completed"].toBool() ? "*" : ""));
    return result;
}

QStringList titles(const TodoModel &model)
{
    QStringList result;
    for (const TodoTask &task : model.tasks())
        result.append(task.title + (task.completed ? "*" : ""));
    return result;
}

void apply(TodoModel &model, const QString &operation)
{
    const QString verb = operation.section(' ', 0, 0);
    const int row = operation.section(' ', 1).toInt();
    if (verb == "add")
        model.addTask(operation == "add blank" ? " \n\t" : "  Buy milk  ");
    else if (verb == "complete" || verb == "reopen")
        model.setCompleted(row, verb == "complete");
    else if (verb == "toggle")
        model.toggleCompleted(row);
    else if (verb == "remove")
        model.removeTask(row);
    else
        model.clearCompleted();
}

} // namespace

class TestTodoModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_env = std::make_unique<TestEnvironment>(); }

    void cleanup()
    {
        m_tester.reset();
        m_env.reset();
    }

    void load_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("tasks");
        QTest::addColumn<bool>("copied");
        // Each expected task reads "title|completed|id|created"; "new" is a fresh UUID, "today" the load day.
        const auto addLoad = [](const char *name, const QByteArray &content, const QStringList &tasks,
                                bool copied) {
            QTest::newRow(name) << content << tasks << copied;
        };
        addLoad("complete", R"({"tasks":[{"id":"a","title":"One","completed":true,"created":"2024-02-29"},
                                        {"id":"b","title":"Two","completed":false,"created":"2023-01-05"}]})",
                {"One|1|a|2024-02-29", "Two|0|b|2023-01-05"}, false);
        addLoad("title only", R"({"tasks":[{"title":"  Buy milk  "}]})", {"Buy milk|0|new|today"}, false);
        addLoad("impossible date", R"({"tasks":[{"id":"a","title":"A","created":"2024-02-30"}]})",
                {"A|0|a|today"}, true);
        addLoad("word for a date", R"({"tasks":[{"id":"a","title":"A","created":"yesterday"}]})",
                {"A|0|a|today"}, true);
        addLoad("blank title dropped", R"({"tasks":[{"id":"a","title":"   "},{"id":"b","title":"B"}]})",
                {"B|0|b|today"}, false);
        addLoad("title of another type", R"({"tasks":[{"id":"a","title":42},{"id":"b","title":"B"}]})",
                {"B|0|b|today"}, true);
        addLoad("non-objects skipped", R"({"tasks":[7,"x",null,{"id":"b","title":"B"}]})", {"B|0|b|today"},
                true);
        addLoad("completed not a bool", R"({"tasks":[{"id":"a","title":"A","completed":"yes"}]})",
                {"A|0|a|today"}, true);
        addLoad("hand-added member", R"({"tasks":[{"id":"a","title":"A","due":"2025-01-01"}]})",
                {"A|0|a|today"}, true);
        addLoad("same id twice", R"({"tasks":[{"id":"d","title":"A"},{"id":"d","title":"B"}]})",
                {"A|0|d|today", "B|0|d|today"}, false);
        addLoad("cut short", R"({"tasks":[{"title":"Pay rent"},{"title":"Call mum"}])", {}, true);
        addLoad("array at the top", R"([{"title":"A"}])", {}, true);
        addLoad("tasks not an array", R"({"tasks":{"title":"A"}})", {}, true);
        addLoad("empty object", "{}", {}, false);
        addLoad("empty file", "", {}, false);
        addLoad("invalid UTF-8 in a title", "{\"tasks\":[{\"id\":\"a\",\"title\":\"caf\xe9\"}]}", {}, true);
        addLoad("escaped NUL in a title", R"({"tasks":[{"id":"a","title":"A\u0000B"}]})",
                {QStringLiteral("A\u0000B|0|a|today")}, false);
        addLoad("id of another type", R"({"tasks":[{"id":7,"title":"A"}]})", {"A|0|new|today"}, true);
        addLoad("date of another type", R"({"tasks":[{"id":"a","title":"A","created":20240301}]})",
                {"A|0|a|today"}, true);
        addLoad("over the size cap", QByteArray(4 * 1024 * 1024 + 1, ' '), {}, true);
    }

    void load()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, copied);
        QVERIFY(!m_env->writeFile(path(), content).isEmpty());

        if (copied)
            QTest::ignoreMessage(QtWarningMsg, keptWarning);
        auto model = open();
        QStringList loaded;
        for (int row = 0; row < model->rowCount(); ++row) {
            const QModelIndex index = model->index(row);
            const bool done = index.data(TodoModel::CompletedRole).toBool();
            QCOMPARE(index.data(Qt::CheckStateRole).toInt(), done ? Qt::Checked : Qt::Unchecked);
            QCOMPARE(index.data(Qt::ToolTipRole), index.data(Qt::DisplayRole));
            const QString id = index.data(TodoModel::IdRole).toString();
            const QDate created = index.data(TodoModel::CreatedRole).toDate();
            loaded.append(QStringList{
                index.data().toString(), done ? "1" : "0", uuidForm.match(id).hasMatch() ? "new" : id,
                created == QDate::currentDate() ? "today" : created.toString(Qt::ISODate)}
                              .join('|'));
        }
        QTEST(loaded, "tasks");
        QCOMPARE(model->activeCount() + model->completedCount(), model->rowCount());
        // Loading alone never writes; what could not be read is copied aside before the first save.
        QCOMPARE(TestEnvironment::readFile(path()), content);
        QCOMPARE(copies().size(), copied ? 1 : 0);
        QCOMPARE(model->keptCopy(), copied ? m_env->appConfigDir() + "/" + copies().constFirst() : QString());
        model->addTask("New");
        model->addTask("Newer");
        QCOMPARE(stored(path()), titles(*model));
    }

    // What reads well but is written otherwise survives the next save as it was
    // written: nothing is lost, so nothing needs a copy.
    void writtenBackAsRead()
    {
        const QByteArray content = R"({"tasks":[
            {"id":"a","title":"  Buy milk  ","completed":false,"created":"2024-01-02T10:00:00"},
            {"id":"b","title":"Buy milk\n","completed":false,"created":"2024/01/02."}]})";
        QVERIFY(!m_env->writeFile(path(), content).isEmpty());
        auto model = open();
        for (const int row : {0, 1}) {
            QCOMPARE(model->index(row).data().toString(), "Buy milk");
            QCOMPARE(model->index(row).data(TodoModel::CreatedRole).toDate(), QDate(2024, 1, 2));
        }
        model->addTask("New");
        QJsonArray saved = QJsonDocument::fromJson(TestEnvironment::readFile(path()))["tasks"].toArray();
        saved.removeFirst();
        QCOMPARE(saved, QJsonDocument::fromJson(content)["tasks"].toArray());
        QVERIFY(copies().isEmpty());
    }

    void changes_data()
    {
        // Starting list (newest first): A, B done, C, D done. Steps before the last ";" only prepare.
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("notification"); // the one model signal and its row; none if empty

        const QStringList start{"A", "B*", "C", "D*"};
        QTest::newRow("add") << "add" << QStringList{"Buy milk", "A", "B*", "C", "D*"} << "inserted 0";
        QTest::newRow("complete") << "complete 0" << QStringList{"A*", "B*", "C", "D*"} << "changed 0";
        QTest::newRow("reopen") << "reopen 1" << QStringList{"A", "B", "C", "D*"} << "changed 1";
        QTest::newRow("toggle") << "toggle 3" << QStringList{"A", "B*", "C", "D"} << "changed 3";
        QTest::newRow("remove") << "remove 2" << QStringList{"A", "B*", "D*"} << "removed 2";
        QTest::newRow("clear completed") << "clear" << QStringList{"A", "C"} << "reset";
        QTest::newRow("blank add") << "add blank" << start << "";
        QTest::newRow("complete a completed task") << "complete 1" << start << "";
        QTest::newRow("toggle -1") << "toggle -1" << start << "";
        QTest::newRow("remove count") << "remove 4" << start << "";
        QTest::newRow("set beyond the end") << "complete 7" << start << "";
        QTest::newRow("clear without completed") << "clear; clear" << QStringList{"A", "C"} << "";
    }

    void changes()
    {
        QFETCH(QString, operation);
        QFETCH(QStringList, after);
        QFETCH(QString, notification);
        QVERIFY(!m_env->writeFile(path(), fourTasks).isEmpty());
        auto model = open();
        const QStringList steps = operation.split("; ");
        for (qsizetype i = 0; i + 1 < steps.size(); ++i)
            apply(*model, steps.at(i));
        const QByteArray before = TestEnvironment::readFile(path());
        // Each notification with its rows; countsChanged comes once the file holds the change.
        QStringList events;
        const auto record = [&events](const char *kind, int first, int last) {
            events.append(QString("%1 %2").arg(kind).arg(first) +
                          (last != first ? QString("-%1").arg(last) : ""));
        };
        connect(model.get(), &QAbstractItemModel::rowsInserted, this,
                [&](const QModelIndex &, int first, int last) { record("inserted", first, last); });
        connect(model.get(), &QAbstractItemModel::rowsRemoved, this,
                [&](const QModelIndex &, int first, int last) { record("removed", first, last); });
        connect(model.get(), &QAbstractItemModel::modelReset, this, [&] { events.append("reset"); });
        connect(model.get(), &QAbstractItemModel::dataChanged, this,
                [&](const QModelIndex &from, const QModelIndex &to, const QList<int> &roles) {
                    record("changed", from.row(), to.row());
                    QCOMPARE(roles, (QList<int>{Qt::CheckStateRole, TodoModel::CompletedRole}));
                });
        connect(model.get(), &TodoModel::countsChanged, this,
                [&] { events.append("counts " + stored(path()).join(',')); });
        apply(*model, steps.constLast());

        QCOMPARE(titles(*model), after);
        QCOMPARE(stored(path()), after);
        QCOMPARE(model->completedCount(), int(after.filter("*").size()));
        if (notification.isEmpty()) {
            QCOMPARE(events, QStringList());
            QCOMPARE(TestEnvironment::readFile(path()), before);
        } else {
            QCOMPARE(events, (QStringList{notification, "counts " + after.join(',')}));
        }
    }

    // Written where the list lives by default, in this form; read back as written, awkward titles too.
    void fileFormat()
    {
        const QStringList awkward{QString(2000, 'x'),
                                  "first line\nsecond line",
                                  "🎉 party 👩‍👩‍👧",
                                  "اتصل بأحمد غدًا",
                                  "quote \" backslash \\ tab\t inside",
                                  "\u202eright-to-left override"};
        {
            TodoModel model;
            QCOMPARE(model.path(), path());
            model.addTask("First");
            model.setCompleted(0, true);
            const QByteArray content = TestEnvironment::readFile(path());
            const QRegularExpression expected(
                "^\\{\n    \"tasks\": \\[\n        \\{\n            \"completed\": "
                "true,\n            \"created\": \"" +
                QDate::currentDate().toString(Qt::ISODate) +
                "\",\n            \"id\": \"[0-9a-f-]{36}\",\n            \"title\": "
                "\"First\"\n        \\}\n    \\]\n\\}\n$");
            QVERIFY2(expected.match(QString::fromUtf8(content)).hasMatch(), content.constData());
            for (const QString &title : awkward)
                model.addTask(title);
        }
        QStringList expected = awkward;
        std::reverse(expected.begin(), expected.end());
        QCOMPARE(titles(TodoModel(path())), expected << "First*");
        QVERIFY(copies().isEmpty());
    }

    // A save that fails keeps the previous file and is tried again.
    void failedSaveKeepsPreviousFileAndIsRetried()
    {
        const QByteArray before = R"({"tasks":[{"id":"1","title":"Kept","created":"2024-01-01"}]})";
        QVERIFY(!m_env->writeFile(path(), before).isEmpty());
        TodoModel model(path());
        QSignalSpy saved(&model, &TodoModel::savedChanged);
        QSignalSpy counts(&model, &TodoModel::countsChanged);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Cannot save the to-do list: .*todo.json"));
        // The new list is longer than any write may be, even for root.
        rlimit previous{};
        getrlimit(RLIMIT_FSIZE, &previous);
        const rlimit limit{40, previous.rlim_max};
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
        model.addTask("Will be saved later");
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, handler);
        QVERIFY(counts.size() == 1 && !model.isSaved()); // announced even though the write failed
        QCOMPARE(TestEnvironment::readFile(path()), before);
        QCOMPARE(QDir(m_env->appConfigDir()).entryList({"todo.json.*"}, QDir::Files | QDir::Hidden),
                 QStringList());
        model.addTask("Next change");
        QCOMPARE(saved, (QList<QVariantList>{{false}, {true}})); // said once each way
        QCOMPARE(stored(path()), (QStringList{"Next change", "Will be saved later", "Kept"}));
    }

    // A link at the path is written through only when it leads to a to-do list.
    void linkedFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("writtenThrough");
        QTest::newRow("to a to-do list") << QByteArray(R"({"tasks":[{"id":"1","title":"Linked"}]})") << true;
        QTest::newRow("to the user's notes") << QByteArray("buy milk\n") << false;
    }

    void linkedFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, writtenThrough);
        const QString real = m_env->writeFile("dotfiles/todo.json", content);
        QVERIFY(QDir().mkpath(m_env->appConfigDir()));
        QVERIFY(QFile::link(real, path()));
        if (!writtenThrough)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("todo.json "));
        TodoModel(path()).addTask("Added");
        QCOMPARE(QFileInfo(path()).isSymLink(), writtenThrough);
        QCOMPARE(stored(path()).first(), "Added");
        QCOMPARE(TestEnvironment::readFile(real) == content, !writtenThrough);
    }

private:
    QString path() const { return m_env->appConfigDir() + "/todo.json"; }
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

QTEST_GUILESS_MAIN(TestTodoModel)
#include "test_todomodel.moc"
