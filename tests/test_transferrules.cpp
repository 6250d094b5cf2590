#include "shell/TransferRules.h"

#include <QtTest>

using Mode = FileTransfer::Mode;
using Outcome = TransferRules::Outcome;

class TestTransferRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // One drop of source on folder: the operation, what becomes of it, and the
    // name it takes among the names already taken there.
    void drop_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("sameFileSystem");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("isFolder");
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("name"); // for a transfer
        const int none = Qt::NoModifier, ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
        const bool dir = true, file = false;
        auto row = [](const char *tag, int modifiers, bool same, const char *source, bool isFolder,
                      const char *folder, const QStringList &taken, Mode mode, Outcome outcome,
                      const char *name = "") {
            QTest::newRow(tag) << modifiers << same << QString(source) << QString(folder) << isFolder << taken
                               << mode << outcome << QString(name);
        };
        const auto go = Outcome::Transfer;
        const Mode move = Mode::Move, copy = Mode::Copy;
        row("same fs moves", none, true, "/a/p.jpg", file, "/t", {}, move, go, "p.jpg");
        row("across copies", none, false, "/a/p.jpg", file, "/t", {}, copy, go, "p.jpg");
        row("ctrl copies on same fs", ctrl, true, "/a/p.jpg", file, "/t", {}, copy, go, "p.jpg");
        row("ctrl+shift copies", ctrl | shift, true, "/a/p.jpg", file, "/t", {}, copy, go, "p.jpg");
        row("shift moves across", shift, false, "/a/p.jpg", file, "/t", {}, move, go, "p.jpg");
        row("clash", none, true, "/a/p.jpg", file, "/t", {"p.jpg"}, move, go, "p (2).jpg");
        row("clash again", none, true, "/a/p.jpg", file, "/t", {"p.jpg", "p (2).jpg", "p (4).jpg"}, move, go,
            "p (3).jpg");
        row("numbered counts on", none, true, "/a/x (2).txt", file, "/t", {"x (2).txt"}, move, go,
            "x (3).txt");
        row("folder", none, true, "/a/Docs", dir, "/t", {"Docs"}, move, go, "Docs (2)");
        row("folder keeps its dots", none, true, "/a/v1.2", dir, "/t", {"v1.2"}, move, go, "v1.2 (2)");
        row("compound suffix", none, true, "/a/a.tar.gz", file, "/t", {"a.tar.gz"}, move, go, "a (2).tar.gz");
        row("hidden", none, true, "/a/.bashrc", file, "/t", {".bashrc"}, move, go, ".bashrc (2)");
        row("already there", none, true, "/t/p.jpg", file, "/t/", {"p.jpg"}, move, Outcome::AlreadyThere);
        row("copy in own folder", ctrl, true, "/t/p.jpg", file, "/t", {"p.jpg"}, copy, go, "p (2).jpg");
        row("folder into itself", ctrl, true, "/t", dir, "/t", {}, copy, Outcome::IntoItself);
        row("folder into its child", none, true, "/t", dir, "/t/sub", {}, move, Outcome::IntoItself);
        row("name prefix is no parent", none, true, "/t/sub-x", dir, "/t/sub", {}, move, go, "sub-x");
    }

    void drop()
    {
        QFETCH(int, modifiers);
        QFETCH(bool, sameFileSystem);
        QFETCH(QString, source);
        QFETCH(QString, folder);
        QFETCH(bool, isFolder);
        QFETCH(QStringList, taken);
        const Mode mode = TransferRules::effectiveMode(
            TransferRules::modeFor(Qt::KeyboardModifiers(modifiers)), sameFileSystem);
        QTEST(mode, "mode");
        const Outcome outcome = TransferRules::outcomeFor(source, folder, mode);
        QTEST(outcome, "outcome");
        const QString name = source.mid(source.lastIndexOf('/') + 1);
        if (outcome == Outcome::Transfer)
            QTEST(TransferRules::freeName(name, isFolder, [&](auto &n) { return taken.contains(n); }),
                  "name");
    }
};

QTEST_APPLESS_MAIN(TestTransferRules)
#include "test_transferrules.moc"
