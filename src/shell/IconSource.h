#pragma once

#include <QByteArray>
#include <QImage>

// Where the icon worker gets item icons from: the platform's icons. Lives on the
// icon thread and is used only there, so it may keep caches without locks; it
// must not create pixmaps or icons, which belong to the GUI thread.
class IconSource
{
public:
    virtual ~IconSource() = default;

    // Bracket the icon thread's life, for platforms that set the thread up.
    virtual void begin() {}
    virtual void finish() {}

    // The icon of the item named by pidl, about px x px device pixels; null when
    // there is none. The worker makes it exactly px x px. Items that show the
    // same icon should get the same (implicitly shared) image, px x px in
    // premultiplied ARGB32: the worker then passes it on as it is, and the model
    // makes one pixmap per image that shares its pixels, so a crowded desktop
    // holds each theme icon and thumbnail once.
    virtual QImage image(const QByteArray &pidl, int px) = 0;
};
