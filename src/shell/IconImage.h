#pragma once

#include <QImage>
#include <QImageReader>

#include <memory>

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

// Whether the reader may shrink the picture while decoding it. Qt keeps a
// palette picture in its palette when it does, dithering the smoothly scaled
// colours into a checkerboard; such pictures are read whole and scaled after.
bool canShrinkOnRead(QImageReader &reader);

// A reader of image data from a file whose name ends in suffix. The suffix is
// trusted first; data that is not of that format is recognised by its
// contents, so a misnamed picture still shows. Recognising by content makes Qt load every image plugin (SVG,
// GIF, ICO, JPEG), even for a plain PNG, and most files are what they are named.
// device must be open, at the start of the data, and outlive the reader.
std::unique_ptr<QImageReader> readerFor(QIODevice *device, const QByteArray &suffix);

} // namespace IconImage
