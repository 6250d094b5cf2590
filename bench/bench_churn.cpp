// Resident memory of a crowded desktop while one file keeps changing: the
// model, the watcher and the icon worker as the program runs them. Prints the
// resident set every ten seconds; run it under heaptrack to see what is kept.
//
//   QT_QPA_PLATFORM=offscreen build/bench/larkspan_bench_churn [items] [seconds]
#include "BenchDesktop.h"
#include "shell/DesktopModel.h"
#include "shell/freedesktop/FreedesktopDesktopSource.h"
#include "shell/freedesktop/FreedesktopIconSource.h"
#include "shell/freedesktop/IconTheme.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int items = argc > 1 ? std::atoi(argv[1]) : 11000;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 150;
    QTemporaryDir dir;
    populateDesktop(dir.path(), items, 64);

    DesktopModel model(std::make_unique<FreedesktopDesktopSource>(dir.path()),
                       std::make_unique<FreedesktopIconSource>(IconTheme::userThemeName()), nullptr);
    int round = 0;
    QTimer churn;
    churn.setInterval(1000);
    QObject::connect(&churn, &QTimer::timeout, &model, [&] {
        // A picture rewritten in place and a download that comes and goes under a new name.
        QImage picture(64, 64, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(round * 7 % 360, 200, 200));
        picture.save(dir.path() + QStringLiteral("/churn.png"));
        QFile::remove(dir.path() + QStringLiteral("/download-%1.png").arg(round - 1));
        picture.save(dir.path() + QStringLiteral("/download-%1.png").arg(round));
        ++round;
    });
    churn.start();
    QTimer report;
    report.setInterval(10000);
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&report, &QTimer::timeout, &model, [&] {
        std::printf("%4llds  %6ld KiB  generation %llu\n", clock.elapsed() / 1000, residentKiB(),
                    static_cast<unsigned long long>(model.generation()));
        std::fflush(stdout);
    });
    report.start();
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return app.exec();
}
