// Measures how fast the real icons of a crowded desktop arrive and how long the
// GUI thread is blocked while they do.
// Run: QT_QPA_PLATFORM=offscreen build/bench/larkspan_bench_icons [items] [image edge px]
#include "BenchDesktop.h"
#include "panels/ItemPlacement.h"
#include "shell/DesktopModel.h"
#include "shell/freedesktop/FreedesktopDesktopSource.h"
#include "shell/freedesktop/FreedesktopIconSource.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QListView>
#include <QPainter>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace {

struct Run
{
    double reloadMs = 0;
    double lastIconMs = 0;
    double longestStallMs = 0;
    int icons = 0;
};

// Reloads (reload() makes or reloads the model), then runs the event loop until
// no icon has arrived for half a second. A 1 ms precise timer ticks throughout;
// the longest gap between ticks is the longest time the GUI thread could not react.
Run measure(const std::function<DesktopModel *()> &reload)
{
    Run run;
    QElapsedTimer clock;
    qint64 lastIcon = 0;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });

    clock.start();
    DesktopModel *model = reload();
    run.reloadMs = double(clock.nsecsElapsed()) / 1e6;
    // Answers arrive through the event loop, so connecting now misses none.
    const QMetaObject::Connection arrived = QObject::connect(model, &QAbstractItemModel::dataChanged, [&] {
        ++run.icons;
        lastIcon = clock.nsecsElapsed();
    });
    lastTick = clock.nsecsElapsed();
    ticker.start();
    while (true) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const qint64 now = clock.nsecsElapsed();
        const qint64 quietSince = std::max(lastIcon, qint64(run.reloadMs * 1e6));
        if (now - quietSince > 500'000'000LL || now > 30'000'000'000LL)
            break;
    }
    ticker.stop();
    QObject::disconnect(arrived);
    run.lastIconMs = double(lastIcon) / 1e6;
    run.longestStallMs = double(longestGap) / 1e6;
    return run;
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QLatin1String("/.config")));
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("brim-vale-bench"));
    QCoreApplication::setApplicationName(QStringLiteral("brim-vale-bench"));
    const QStringList args = QCoreApplication::arguments();
    const int count = args.size() > 1 ? args.at(1).toInt() : 2000;
    const int imageEdge = args.size() > 2 ? args.at(2).toInt() : 800;
    QTextStream out(stdout);

    const QString folder = home.filePath(QStringLiteral("Desktop"));
    populateDesktop(folder, count, imageEdge);

    QListView view;
    view.setViewMode(QListView::IconMode);
    view.setIconSize(QSize(48, 48));
    view.setUniformItemSizes(true);
    view.resize(1200, 900);
    view.show();
    {
        // Once per process, fonts, glyphs, icon painting and styles are set up at
        // the first paint; in the program that happens when the panels first show.
        QStandardItemModel warmUp;
        QPixmap placeholder(48, 48);
        placeholder.fill(Qt::gray);
        for (int i = 0; i < 400; ++i)
            warmUp.appendRow(new QStandardItem(QIcon(placeholder), QStringLiteral("Item %1.txt").arg(i)));
        view.setModel(&warmUp);
        QElapsedTimer shown;
        shown.start();
        while (shown.elapsed() < 200)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        view.setModel(nullptr);
    }

    // The theme is the machine's, as a user would have it. The first round
    // starts the model and its icon thread with empty caches.
    const QString theme = IconTheme::userThemeName();
    std::unique_ptr<DesktopModel> model;
    for (int round = 0; round < 4; ++round) {
        const Run run = measure([&] {
            if (model) {
                model->reload();
            } else {
                model = std::make_unique<DesktopModel>(std::make_unique<FreedesktopDesktopSource>(folder),
                                                       std::make_unique<FreedesktopIconSource>(theme),
                                                       nullptr, std::make_unique<ItemPlacement>());
                view.setModel(model.get());
            }
            // The view's own layout of the new rows is part of the reload's cost.
            view.doItemsLayout();
            return model.get();
        });
        if (round == 0) {
            out << QStringLiteral("%1 items (%2 rows), pictures %3 x %4 px, theme %5\n")
                       .arg(count)
                       .arg(model->rowCount())
                       .arg(imageEdge)
                       .arg(imageEdge * 3 / 4)
                       .arg(theme);
        }
        out << QStringLiteral(
                   "%1: reload and layout %2 ms, last of %3 icons after %4 ms, longest GUI stall %5 ms\n")
                   .arg(round == 0 ? QStringLiteral("start") : QStringLiteral("reload"))
                   .arg(run.reloadMs, 0, 'f', 1)
                   .arg(run.icons)
                   .arg(run.lastIconMs, 0, 'f', 0)
                   .arg(run.longestStallMs, 0, 'f', 1);
        out.flush();
    }
    view.setModel(nullptr);
    return 0;
}
