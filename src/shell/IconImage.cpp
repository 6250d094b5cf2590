#include "IconImage.h"

#include <QPainter>

#include <algorithm>

namespace IconImage {

int pixelSize(int size, double ratio)
{
    return int(size * ratio);
}

QImage cropCornerIcon(const QImage &image)
{
    if (image.isNull() || !image.hasAlphaChannel())
        return image;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const int width = argb.width();
    const int height = argb.height();
    int maxX = -1;
    int maxY = -1;
    for (int y = 0; y < height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            if (qAlpha(line[x]) == 0)
                continue;
            maxX = std::max(maxX, x);
            maxY = y;
            if (maxX >= width / 2 && y >= height / 2)
                return image;
        }
    }
    if (maxX < 0)
        return image;
    const int side = std::max(maxX, maxY) + 1;
    return image.copy(0, 0, side, side);
}

QImage fitToSquare(const QImage &image, int px)
{
    if (image.isNull() || px < 1)
        return {};
    // Converted before scaling: Qt scales a palette image within its palette,
    // dithering the blended colours into a checkerboard.
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (argb.width() == px && argb.height() == px)
        return argb;
    const QImage scaled = argb.scaled(px, px, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (scaled.width() == px && scaled.height() == px)
        return scaled;
    return centredOnSquare(scaled, px);
}

QImage centredOnSquare(const QImage &image, int px)
{
    QImage square(px, px, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.drawImage((px - image.width()) / 2, (px - image.height()) / 2, image);
    painter.end();
    return square;
}

bool canShrinkOnRead(QImageReader &reader)
{
    switch (reader.imageFormat()) {
    case QImage::Format_Indexed8:
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        return false;
    default:
        return true;
    }
}

std::unique_ptr<QImageReader> readerFor(QIODevice *device, const QByteArray &suffix)
{
    // Not QImageReader::supportedImageFormats(): it loads every plugin to ask it.
    if (!suffix.isEmpty()) {
        auto named = std::make_unique<QImageReader>(device, suffix);
        named->setAutoDetectImageFormat(false);
        if (named->canRead())
            return named;
        device->seek(0);
    }
    return std::make_unique<QImageReader>(device);
}

} // namespace IconImage
