#include "AppStyle.h"

#include <QFontDatabase>
#include <QPalette>
#include <QThread>
#include <QWidget>

namespace AppStyle {

QStringList fontFamilies()
{
    return {QStringLiteral("Segoe UI"), QStringLiteral("Microsoft YaHei UI"),
            QStringLiteral("Microsoft YaHei")};
}

QString fontFamilyDeclaration()
{
    QStringList quoted;
    for (const QString &family : fontFamilies())
        quoted.append(QLatin1Char('"') + family + QLatin1Char('"'));
    return QStringLiteral("font-family: %1;").arg(quoted.join(QStringLiteral(", ")));
}

QString css(const QColor &color)
{
    return color.name(QColor::HexRgb);
}

QFont appFont()
{
    QFont font;
    font.setFamilies(fontFamilies());
    return font;
}

QFont appFont(int pixelSize)
{
    QFont font = appFont();
    font.setPixelSize(pixelSize);
    return font;
}

FontPreparation::FontPreparation()
    // The first text measured reads every font of the system, some milliseconds
    // that would fall between making the first window and the last. A worker
    // reads them meanwhile on the other core; the database is shared and
    // locked, so text measured sooner waits for it instead of reading them again.
    : m_worker(QThread::create([] { (void)QFontDatabase::families(); }))
{
    m_worker->start();
}

FontPreparation::~FontPreparation()
{
    m_worker->wait();
}

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, color);
    QColor placeholder = color;
    placeholder.setAlpha((color.alpha() + 1) / 2);
    palette.setColor(QPalette::PlaceholderText, placeholder);
    palette.setColor(QPalette::Base, Qt::transparent);
    widget->setPalette(palette);
}

QString toolTipStyleSheet()
{
    return QStringLiteral("QToolTip { background-color: %1; color: %2; border: 1px solid %3;"
                          " border-radius: 8px; padding: 6px 10px; %4"
                          " font-size: 12px; opacity: 255; }")
        .arg(css(Palette::window), css(Palette::primaryText), css(Palette::border), fontFamilyDeclaration());
}

QString menuStyleSheet()
{
    return QStringLiteral("QMenu { background-color: %1; color: %2; border: 1px solid %3;"
                          " border-radius: 8px; padding: 6px; font-size: 12px; }"
                          "QMenu::item { padding: 6px 26px 6px 22px; border-radius: 6px; }"
                          "QMenu::item:selected { background-color: %4; }"
                          "QMenu::item:disabled { color: %5; }"
                          "QMenu::separator { height: 1px; background: %3; margin: 5px 8px; }")
        .arg(css(Palette::window), css(Palette::primaryText), css(Palette::border), css(Palette::selection),
             css(Palette::disabledText));
}

} // namespace AppStyle
