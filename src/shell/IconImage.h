#pragma once

#include <QImage>

// Image rules shared by the icon worker and the placeholder icons.
namespace IconImage {

// Device pixels of an icon: size x ratio, truncated toward zero.
int pixelSize(int size, double ratio);

// An icon drawn small in the top-left corner of a large transparent canvas,
// cropped to the square around it, so that scaling enlarges the icon instead of
// showing a speck in an empty square. Other images come back unchanged.
QImage cropCornerIcon(const QImage &image);

// The image scaled smoothly into a px x px square, keeping its aspect ratio and
// centred on transparency; premultiplied ARGB32, the format of the pixmaps the
// views draw, so a pixmap made from it shares its pixels instead of copying them.
// Null for a null image or px below 1.
QImage fitToSquare(const QImage &image, int px);

// The image at its own size centred on a transparent px x px square.
QImage centredOnSquare(const QImage &image, int px);

} // namespace IconImage
