// Build tool: writes the application icon as the PNG sizes of the hicolor theme
// and as a scalable SVG, from the same drawing the program shows.
//   larkspan_icon_export <output folder> <icon name>
// produces <folder>/<size>x<size>/apps/<name>.png and <folder>/scalable/apps/<name>.svg.
#include "tray/AppIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgGenerator>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QTextStream err(stderr);
    if (arguments.size() != 3) {
        err << "usage: larkspan_icon_export <output folder> <icon name>\n";
        return 2;
    }
    const QDir root(arguments.at(1));
    const QString name = arguments.at(2);

    for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        const QString folder = root.filePath(QStringLiteral("%1x%1/apps").arg(size));
        const QString file = folder + QLatin1Char('/') + name + QLatin1String(".png");
        if (!QDir().mkpath(folder) || !renderAppIcon(size).save(file, "PNG")) {
            err << "cannot write " << file << '\n';
            return 1;
        }
    }

    // The large-size drawing (smooth edges, no pixel snapping) on a 256 canvas.
    const QString folder = root.filePath(QStringLiteral("scalable/apps"));
    const QString file = folder + QLatin1Char('/') + name + QLatin1String(".svg");
    if (!QDir().mkpath(folder)) {
        err << "cannot create " << folder << '\n';
        return 1;
    }
    constexpr int canvas = 256;
    QSvgGenerator svg;
    svg.setFileName(file);
    svg.setSize(QSize(canvas, canvas));
    svg.setViewBox(QRect(0, 0, canvas, canvas));
    svg.setTitle(name);
    QPainter painter;
    if (!painter.begin(&svg)) {
        err << "cannot write " << file << '\n';
        return 1;
    }
    paintAppIcon(painter, canvas);
    painter.end();
    return 0;
}
