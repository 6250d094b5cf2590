#include "CurrencyAmountEdit.h"

#include "base/l10n/L10n.h"
#include "currency/AmountParser.h"
#include "currency/AmountValidator.h"
#include "currency/CurrencyButton.h"
#include "currency/CurrencyStyle.h"
#include "frame/HoverTracker.h"
#include "look/AppStyle.h"

#include <QApplication>
#include <QClipboard>
#include <QPainter>
#include <QToolTip>

namespace {

constexpr QSize buttonSize{24, 26};
constexpr int buttonInset = 3;
constexpr qreal boxRadius = 7;
// The box's 1 px border and the room inside it, and at the right the room of
// the copy and clear buttons.
constexpr QMargins textPadding{10, 7, 10, 7};
constexpr int buttonsRoom = 50;
// QLineEdit's own room on each side of the text, inside the text margins.
constexpr int lineEditMargin = 2;

} // namespace

CurrencyAmountEdit::CurrencyAmountEdit(QWidget *parent)
    : QLineEdit(parent)
    , m_validator(new AmountValidator(this))
    , m_copy(new CurrencyButton(CurrencyButton::Copy, true, this))
    , m_clear(new CurrencyButton(CurrencyButton::Clear, true, this))
{
    setFixedHeight(32);
    setMinimumWidth(0);
    setLayoutDirection(Qt::LeftToRight);
    setMaxLength(AmountParser::maxLength);
    m_validator->setLocale(AmountParser::numberLocale());
    setValidator(m_validator);
    // The rounded box is painted here; the line edit draws only the text.
    setFrame(false);
    setTextMargins(textPadding + QMargins(0, 0, buttonsRoom, 0));
    AppStyle::setTextColor(this, CurrencyStyle::text);
    L10n::bind(this, "placeholderText", "Amount");

    for (CurrencyButton *button : {m_copy, m_clear}) {
        button->setFixedSize(buttonSize);
        button->setFocusPolicy(Qt::NoFocus);
        button->hide();
    }
    m_copy->setObjectName(QStringLiteral("currencyCopy"));
    L10n::bind(m_copy, "toolTip", "Copy amount");
    L10n::bind(m_copy, "accessibleName", "Copy amount");
    m_clear->setObjectName(QStringLiteral("currencyClear"));
    L10n::bind(m_clear, "toolTip", "Clear amount");
    L10n::bind(m_clear, "accessibleName", "Clear amount");

    connect(m_copy, &QPushButton::clicked, this, &CurrencyAmountEdit::copyText);
    connect(m_clear, &QPushButton::clicked, this, [this] {
        clear();
        setFocus();
    });
    connect(this, &QLineEdit::textChanged, this, &CurrencyAmountEdit::followText);

    m_hover = new HoverTracker(this);
    m_hover->watchChildren();
    connect(m_hover, &HoverTracker::hoverChanged, this, &CurrencyAmountEdit::setButtonsShown);
    followText();
}

CurrencyAmountEdit::~CurrencyAmountEdit()
{
    disconnect(m_hover, nullptr, this, nullptr);
}

void CurrencyAmountEdit::followText()
{
    const bool usable = !text().isEmpty();
    m_copy->setEnabled(usable);
    m_clear->setEnabled(usable);
    updateToolTip();
}

void CurrencyAmountEdit::showConverted(const QString &text)
{
    setText(text);
    // A large amount's leading digits matter most; the end shows by scrolling.
    setCursorPosition(0);
}

void CurrencyAmountEdit::setNotANumber(bool notANumber)
{
    if (m_notANumber == notANumber)
        return;
    m_notANumber = notANumber;
    update();
}

void CurrencyAmountEdit::setOtherNotANumber(bool notANumber)
{
    if (m_otherNotANumber == notANumber)
        return;
    m_otherNotANumber = notANumber;
    L10n::bind(this, "placeholderText", notANumber ? "Not a number" : "Amount");
}

void CurrencyAmountEdit::updateToolTip()
{
    const int room = width() - textMargins().left() - textMargins().right() - 2 * lineEditMargin;
    setToolTip(fontMetrics().horizontalAdvance(text()) > room ? text() : QString());
}

void CurrencyAmountEdit::copyText()
{
    if (text().isEmpty())
        return;
    QApplication::clipboard()->setText(text());
    QToolTip::showText(m_copy->mapToGlobal(m_copy->rect().bottomLeft()), L10n::text("Copied"), m_copy, {},
                       copiedToolTipMs);
}

void CurrencyAmountEdit::setButtonsShown(bool shown)
{
    m_copy->setVisible(shown);
    m_clear->setVisible(shown);
}

void CurrencyAmountEdit::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(borderColor(), 1));
        painter.setBrush(AppStyle::Palette::field);
        // The 1 px border's middle runs half a pixel inside the edge.
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), boxRadius - 0.5,
                                boxRadius - 0.5);
    }
    QLineEdit::paintEvent(event);
}

QColor CurrencyAmountEdit::borderColor() const
{
    return m_notANumber ? CurrencyStyle::notANumberBorder
           : hasFocus() ? CurrencyStyle::focusBorder
                        : CurrencyStyle::fieldBorder;
}

void CurrencyAmountEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    placeButtons();
    updateToolTip();
}

void CurrencyAmountEdit::placeButtons()
{
    const int y = (height() - buttonSize.height()) / 2;
    const int clearX = width() - buttonInset - buttonSize.width();
    m_clear->move(clearX, y);
    m_copy->move(clearX - buttonSize.width(), y);
}
