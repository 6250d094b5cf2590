#include "BenchDesktop.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>

namespace {

const char *const extensions[] = {"txt", "pdf",  "png", "jpg", "mp3", "mp4", "zip", "cpp",
                                  "py",  "docx", "xcf", "",    "md",  "svg", "json"};

} // namespace

void populateDesktop(const QString &folder, int count, int imageEdge)
{
    QDir().mkpath(folder);
    QImage picture(std::max(imageEdge, 1), std::max(imageEdge * 3 / 4, 1), QImage::Format_RGB32);
    for (int i = 0; i < count; ++i) {
        const QString base = QStringLiteral("%1/Item %2").arg(folder).arg(i);
        if (i % 25 == 0) {
            QDir().mkpath(base);
            continue;
        }
        if (i % 50 == 1) {
            QFile launcher(base + QLatin1String(".desktop"));
            if (launcher.open(QIODevice::WriteOnly)) {
                launcher.write("[Desktop Entry]\nType=Application\nName=Launcher " + QByteArray::number(i) +
                               "\nExec=true\nIcon=utilities-terminal\n");
                launcher.setPermissions(launcher.permissions() | QFile::ExeOwner);
            }
            continue;
        }
        const QLatin1String extension(extensions[i % (sizeof extensions / sizeof *extensions)]);
        const QString path = extension.isEmpty() ? base : base + QLatin1Char('.') + extension;
        if (imageEdge > 0 && (extension == QLatin1String("png") || extension == QLatin1String("jpg"))) {
            // Different pictures, so no decoder can profit from repetition.
            QPainter painter(&picture);
            painter.fillRect(picture.rect(), QColor::fromHsv(i % 360, 200, 200));
            painter.drawEllipse(picture.rect().adjusted(i % 40, i % 30, -(i % 20), -(i % 10)));
            painter.end();
            picture.save(path);
            continue;
        }
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write("x");
    }
}
