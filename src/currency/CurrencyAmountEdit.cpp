#include "CurrencyAmountEdit.h"

#include "base/l10n/L10n.h"
#include "currency/AmountParser.h"
#include "currency/AmountValidator.h"
#include "currency/CurrencyButton.h"
#include "panels/HoverTracker.h"

#include <QApplication>
#include <QClipboard>
#include <QToolTip>

namespace {

constexpr QSize buttonSize{24, 26};
constexpr int buttonInset = 3;

QString toolTipStyleSheet()
{
    return QStringLiteral("QToolTip { font-size: 11px; padding: 3px 6px; color: #e7ebf2; background: #252d39;"
                          " border: 1px solid #4a5668; border-radius: 4px; }");
}

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
    setTextMargins(0, 0, 50, 0);
    L10n::bind(this, "placeholderText", "Amount");

    for (CurrencyButton *button : {m_copy, m_clear}) {
        button->setFixedSize(buttonSize);
        button->setFocusPolicy(Qt::NoFocus);
        button->hide();
    }
    m_copy->setObjectName(QStringLiteral("currencyCopy"));
    m_copy->setStyleSheet(toolTipStyleSheet());
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
    connect(this, &QLineEdit::textChanged, this, &CurrencyAmountEdit::updateButtons);

    m_hover = new HoverTracker(this);
    m_hover->watchChildren();
    connect(m_hover, &HoverTracker::hoverChanged, this, &CurrencyAmountEdit::setButtonsShown);
    updateButtons();
}

CurrencyAmountEdit::~CurrencyAmountEdit()
{
    disconnect(m_hover, nullptr, this, nullptr);
}

void CurrencyAmountEdit::updateButtons()
{
    const bool usable = !text().isEmpty();
    m_copy->setEnabled(usable);
    m_clear->setEnabled(usable);
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

void CurrencyAmountEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    placeButtons();
}

void CurrencyAmountEdit::placeButtons()
{
    const int y = (height() - buttonSize.height()) / 2;
    const int clearX = width() - buttonInset - buttonSize.width();
    m_clear->move(clearX, y);
    m_copy->move(clearX - buttonSize.width(), y);
}
