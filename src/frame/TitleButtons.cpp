#include "TitleButtons.h"

#include "base/l10n/L10n.h"
#include "frame/GlyphEngine.h"
#include "frame/PanelButton.h"

#include <QStyle>
#include <QWidget>

TitleButtons::TitleButtons(QWidget *window, const QList<Button> &buttons)
    : QObject(window)
    , m_window(window)
{
    for (const Button which : buttons) {
        auto *button = new PanelButton(which == Close ? PanelButton::Danger : PanelButton::Plain, window);
        static const char *const names[] = {"collapse", "viewToggle", "refresh", "close"};
        button->setObjectName(QLatin1String(names[which]));
        button->setIconSize(QSize(16, 16));
        button->hide();
        connect(button, &QPushButton::clicked, this, [this, which] { Q_EMIT clicked(which); });
        m_buttons.append({which, button});
    }
    if (QPushButton *refresh = button(Refresh))
        refresh->setIcon(GlyphEngine::icon(GlyphEngine::Refresh));
    if (QPushButton *close = button(Close))
        close->setIcon(GlyphEngine::icon(GlyphEngine::Bin));
    L10n::onLanguageChanged(this, [this] { retranslate(); });
    retranslate();
}

TitleButtons::~TitleButtons() = default;

QPushButton *TitleButtons::button(Button which) const
{
    for (const auto &[kind, button] : m_buttons) {
        if (kind == which)
            return button;
    }
    return nullptr;
}

void TitleButtons::setShown(bool shown)
{
    for (const auto &entry : std::as_const(m_buttons))
        entry.second->setVisible(shown);
}

void TitleButtons::layout(const PanelStyle::Metrics &m)
{
    const int y = (m.band - m.button) / 2;
    int x = PanelStyle::buttonsLeft(m, m_window->width(), count());
    for (const auto &entry : std::as_const(m_buttons)) {
        QPushButton *button = entry.second;
        button->setFixedSize(m.button, m.button);
        button->setIconSize(QSize(m.buttonIcon, m.buttonIcon));
        button->setGeometry(QStyle::visualRect(m_window->layoutDirection(), m_window->rect(),
                                               QRect(x, y, m.button, m.button)));
        x += m.button + m.buttonGap;
    }
}

void TitleButtons::setCollapsed(bool collapsed)
{
    m_collapsed = collapsed;
    retranslate();
}

void TitleButtons::setListView(bool list)
{
    m_list = list;
    retranslate();
}

void TitleButtons::setHideToTray(bool hideToTray)
{
    m_hideToTray = hideToTray;
    retranslate();
}

void TitleButtons::retranslate()
{
    if (QPushButton *collapse = button(Collapse)) {
        collapse->setIcon(
            GlyphEngine::icon(m_collapsed ? GlyphEngine::ChevronRight : GlyphEngine::ChevronDown));
        collapse->setToolTip(m_collapsed ? L10n::text("Show this panel's items")
                                         : L10n::text("Roll up to just the title"));
    }
    if (QPushButton *toggle = button(ViewToggle)) {
        toggle->setIcon(GlyphEngine::icon(m_list ? GlyphEngine::Grid : GlyphEngine::List));
        toggle->setToolTip(m_list ? L10n::text("Show these as a grid") : L10n::text("Show these as a list"));
    }
    if (QPushButton *refresh = button(Refresh))
        refresh->setToolTip(L10n::text("Read the desktop again"));
    if (QPushButton *close = button(Close)) {
        close->setToolTip(m_hideToTray ? L10n::text("Hide this panel - it stays in the tray")
                                       : L10n::text("Close, and put the real desktop icons back"));
    }
    // The buttons show only glyphs: a screen reader reads what the tool tip says.
    for (const auto &entry : std::as_const(m_buttons))
        entry.second->setAccessibleName(entry.second->toolTip());
}
