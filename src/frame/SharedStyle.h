#pragma once

#include <QCoreApplication>
#include <QPointer>

// The one instance of a proxy style that every widget given it shares. It goes
// with the application, and a widget that outlives it falls back to the
// application's style. A style keeps its constructor private and befriends this.
template<typename Style>
Style *sharedStyle()
{
    static QPointer<Style> style;
    if (!style) {
        style = new Style;
        style->setParent(QCoreApplication::instance());
    }
    return style;
}
