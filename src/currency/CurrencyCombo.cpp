#include "CurrencyCombo.h"

#include "base/l10n/L10n.h"
#include "currency/CurrencyCodes.h"
#include "currency/CurrencyStyle.h"
#include "currency/DropDownComboStyle.h"
#include "frame/CompositorShape.h"
#include "frame/PanelStyle.h"
#include "look/AppStyle.h"

#include <QListView>
#include <QPainter>

namespace {

QString popupStyleSheet()
{
    return QStringLiteral(
               "QListView { background: #29323f; color: #e7ebf2; border: 1px solid #4a5668; border-radius: "
               "%1px;"
               " padding: 4px; outline: none; }"
               "QListView::item { min-height: 26px; padding-left: 8px; border-radius: 4px; }"
               "QListView::item:hover { background: #354355; }"
               "QListView::item:selected { background: #41536b; color: white; }"
               "QScrollBar:vertical { width: 5px; background: transparent; margin: 0; }"
               "QScrollBar::handle:vertical { background: #647184; border-radius: 2px; min-height: 20px; }"
               "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
               "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }")
        .arg(CurrencyCombo::popupRadius);
}

} // namespace

CurrencyCombo::CurrencyCombo(CompositorWatch *compositor, QWidget *parent)
    : QComboBox(parent)
    , m_compositor(compositor)
{
    setFixedSize(84, 32);
    setLayoutDirection(Qt::LeftToRight);
    setMaxVisibleItems(8);
    setCursor(Qt::ArrowCursor);
    DropDownComboStyle::apply(this);
    addItems(CurrencyCodes::all());
}

CurrencyCombo::~CurrencyCombo() = default;

void CurrencyCombo::bindName(const char *sourceText)
{
    m_name = sourceText;
    L10n::bind(this, "accessibleName", sourceText);
    L10n::bind(view(), "accessibleName", sourceText);
}

void CurrencyCombo::showPopup()
{
    // The list is made when it is first opened: a popup window with its own
    // style sheet is memory that most sessions never use.
    if (!m_popupMade) {
        auto *popup = new QListView(this);
        popup->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        popup->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        popup->setFrameShape(QFrame::NoFrame);
        popup->setStyleSheet(popupStyleSheet());
        setView(popup);
        // The list is rounded; the window around it must not show square
        // corners, so it is see-through, or cut to the list's outline.
        new CompositorShape(popup->parentWidget(), m_compositor,
                            [](QSize size) { return PanelStyle::roundedShape(size, popupRadius); });
        L10n::bind(popup, "accessibleName", m_name);
        m_popupMade = true;
    }
    QComboBox::showPopup();
}

void CurrencyCombo::selectCode(const QString &code)
{
    const int index = findText(code, Qt::MatchExactly);
    if (index >= 0)
        setCurrentIndex(index);
}

void CurrencyCombo::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(hasFocus() ? CurrencyStyle::focusBorder : CurrencyStyle::fieldBorder, 1));
    p.setBrush(AppStyle::Palette::field);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    p.setPen(CurrencyStyle::text);
    p.drawText(rect().adjusted(10, 0, -26, 0), Qt::AlignAbsolute | Qt::AlignLeft | Qt::AlignVCenter,
               currentText());
    const qreal x = width() - 14;
    const qreal h = height();
    p.setPen(QPen(CurrencyStyle::secondaryText, 1.3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(x - 3, h / 2 - 1.5), QPointF(x, h / 2 + 1.5));
    p.drawLine(QPointF(x, h / 2 + 1.5), QPointF(x + 3, h / 2 - 1.5));
}
