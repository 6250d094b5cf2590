// Measures the desktop model's reload on generated desktops and the layout
// store's save. Run: QT_QPA_PLATFORM=offscreen build/bench/larkspan_bench
#include "BenchDesktop.h"
#include "frame/Snapping.h"
#include "panels/ItemPlacement.h"
#include "panels/PanelLayoutStore.h"
#include "panels/TidyLayout.h"
#include "shell/DesktopModel.h"
#include "shell/freedesktop/FreedesktopDesktopSource.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <vector>

namespace {

// Processor time of this thread, in ms: on a busy machine it varies far less
// than the wall time.
double threadCpuMs()
{
    timespec now = {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    // A throw-away home: the benchmark writes layout and rule files.
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QLatin1String("/.config")));
    QStandardPaths::setTestModeEnabled(true);
    QGuiApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("brim-vale-bench"));
    QCoreApplication::setApplicationName(QStringLiteral("brim-vale-bench"));
    QTemporaryDir temp;
    QTextStream out(stdout);

    for (int count : {100, 1000, 10000}) {
        const QString folder = temp.filePath(QStringLiteral("desktop-%1").arg(count));
        populateDesktop(folder, count);
        DesktopModel model(std::make_unique<FreedesktopDesktopSource>(folder),
                           std::make_unique<ItemPlacement>());
        std::vector<double> samples;
        std::vector<double> cpu;
        for (int run = 0; run < 21; ++run) {
            // Between reloads the program returns to its event loop, which also
            // takes the icons that arrived and what the reload left for later.
            QCoreApplication::processEvents();
            QElapsedTimer timer;
            const double cpuStart = threadCpuMs();
            timer.start();
            model.reload();
            samples.push_back(double(timer.nsecsElapsed()) / 1e6);
            cpu.push_back(threadCpuMs() - cpuStart);
        }
        out << QStringLiteral(
                   "reload %1 items: median %2 ms, min %3 ms, processor time median %4 ms (%5 rows)\n")
                   .arg(count)
                   .arg(median(samples), 0, 'f', 2)
                   .arg(*std::min_element(samples.begin(), samples.end()), 0, 'f', 2)
                   .arg(median(cpu), 0, 'f', 2)
                   .arg(model.rowCount());
        out.flush();
    }

    QStringList keys;
    for (int i = 0; i < 1000; ++i)
        keys.append(QStringLiteral("/home/user/Desktop/Item %1.txt").arg(i));
    const QString panel = PanelLayoutStore::createPanel(QStringLiteral("Bench"));
    std::vector<double> samples;
    for (int run = 0; run < 21; ++run) {
        QElapsedTimer timer;
        timer.start();
        PanelLayoutStore::assignItems(keys, run % 2 ? panel : QString());
        samples.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    // Leave 1000 assignments stored and time one more save with them in place.
    PanelLayoutStore::assignItems(keys, panel);
    std::vector<double> saves;
    for (int run = 0; run < 21; ++run) {
        QElapsedTimer timer;
        timer.start();
        PanelLayoutStore::setItemOrder(QStringLiteral("panel/bench"), keys.mid(run, 10));
        saves.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    out << QStringLiteral(
               "layout store: assign 1000 keys median %1 ms; save with 1000 assignments median %2 ms\n")
               .arg(median(samples), 0, 'f', 2)
               .arg(median(saves), 0, 'f', 2);

    // Geometry of a crowded arrangement: ten category panels, and snapping a
    // dragged panel against twenty peers (what every mouse move costs).
    QList<TidyLayout::TidyEntry> entries;
    for (int category = 0; category < 10; ++category)
        entries.append({category, 5 + category * 3, std::nullopt});
    const QRect area(24, 24, 1872, 1032);
    QList<QRect> peers;
    for (int i = 0; i < 20; ++i)
        peers.append(QRect(40 + (i % 5) * 370, 40 + (i / 5) * 260, 300 + i, 220 + 2 * i));
    constexpr int rounds = 20000;
    int sink = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i)
        sink += int(TidyLayout::computeTidyLayout(entries, area.adjusted(0, 0, -(i % 7), 0), 48).size());
    const double tidyUs = double(timer.nsecsElapsed()) / 1e3 / rounds;
    timer.restart();
    for (int i = 0; i < rounds; ++i)
        sink +=
            Snapping::snapMove(QRect(100 + i % 300, 90 + i % 200, 260, 300), peers, QRect(0, 0, 1920, 1080))
                .rect.x();
    const double snapUs = double(timer.nsecsElapsed()) / 1e3 / rounds;
    out << QStringLiteral("computeTidyLayout (10 panels): %1 us; snapMove (20 peers): %2 us (%3)\n")
               .arg(tidyUs, 0, 'f', 2)
               .arg(snapUs, 0, 'f', 2)
               .arg(sink % 10);
    return 0;
}
