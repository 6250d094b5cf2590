#include "tray/SettingsWindow.h"

#include "base/Settings.h"
#include "base/SettingsKeys.h"
#include "base/l10n/L10n.h"
#include "look/AppStyle.h"
#include "shell/ShellDesktop.h"
#include "tray/AutostartControl.h"
#include "tray/LanguageCombo.h"
#include "tray/SettingsToggle.h"

#include <QAbstractItemView>
#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

namespace {

QString windowStyleSheet()
{
    return QStringLiteral("QDialog#settingsWindow { background: #23272f; color: #f2f4f8; }"
                          "QWidget { %1 font-size: 12px; }"
                          "QLabel, QCheckBox { color: #f2f4f8; background: transparent; }"
                          "QWidget#settingsGroup { background: #2a303a; border: 1px solid #38414e;"
                          " border-radius: 10px; }"
                          "QWidget#settingRow { background: transparent; border: none; }"
                          "QWidget#settingsDivider { background: #3a424e; }"
                          "QLabel#description { color: #98a5b7; font-size: 11px; }"
                          "QLabel#switchMissingNote { color: #e0b458; font-size: 11px; }"
                          "QLabel#settingTitle { font-size: 13px; font-weight: 500; }")
        .arg(AppStyle::fontFamilyDeclaration());
}

QString languageListStyleSheet()
{
    return QStringLiteral("QComboBox { background: #252d39; color: #f2f4f8; border: 1px solid #4a5668;"
                          " border-radius: 6px; padding: 4px 10px; }"
                          "QComboBox::drop-down { border: none; background: transparent; width: 24px; }"
                          "QComboBox::down-arrow { image: none; width: 0px; height: 0px; }"
                          "QComboBox QAbstractItemView { background: #23272f; color: #f2f4f8;"
                          " selection-background-color: #2f6fed; border: 1px solid #4a5668; }");
}

// A language's own name for itself.
QString nativeName(const QString &code)
{
    if (code == QLatin1StringView("zh_Hans"))
        return QStringLiteral("简体中文");
    if (code == QLatin1StringView("zh_Hant"))
        return QStringLiteral("繁體中文");
    return QLocale(code).nativeLanguageName();
}

} // namespace

SettingsWindow::SettingsWindow(ShellDesktop *shell, AutostartControl *autostart, const PlatformLook &look,
                               QWidget *parent)
    : QDialog(parent)
    , m_shell(shell)
    , m_autostart(autostart)
    , m_words(look.words)
{
    setObjectName(QStringLiteral("settingsWindow"));
    L10n::bind(this, "windowTitle", "Larkspan — Settings");
    setWindowIcon(look.windowIcon);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedWidth(fixedWidth);
    setFont(AppStyle::appFont());
    setModal(false);
    setStyleSheet(windowStyleSheet());

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(20, 18, 20, 16);
    outer->setSpacing(14);
    auto *group = new QWidget(this);
    group->setObjectName(QStringLiteral("settingsGroup"));
    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->setContentsMargins(0, 0, 0, 0);
    groupLayout->setSpacing(0);
    outer->addWidget(group);

    m_autostartSwitch = addRow(groupLayout, m_words.startAtSignIn, "Open Larkspan when you sign in.");
    addDivider(groupLayout);
    m_switchMissingNote = new QLabel(group);
    m_switchMissingNote->setObjectName(QStringLiteral("switchMissingNote"));
    m_switchMissingNote->setWordWrap(true);
    L10n::bind(m_switchMissingNote, "text", "This desktop's icons cannot be hidden by Larkspan.");
    m_iconsSwitch = addRow(groupLayout, "Desktop icons", "Show original icons alongside your panels.",
                           m_switchMissingNote);
    addDivider(groupLayout);
    m_quickHideSwitch = addRow(groupLayout, "Hide by double-click",
                               "Double-click the empty desktop to hide or show all panels.");
    groupLayout->addWidget(buildLanguageBlock());

    connect(m_iconsSwitch, &QCheckBox::clicked, this, [this](bool checked) {
        m_shell->setIconsHidden(!checked);
        m_iconsSwitch->setChecked(!m_shell->isHidden());
    });
    connect(m_shell, &ShellDesktop::hiddenChanged, m_iconsSwitch,
            [this](bool hidden) { m_iconsSwitch->setChecked(!hidden); });
    connect(m_shell, &ShellDesktop::switchMissingChanged, this, &SettingsWindow::showSwitchMissing);
    connect(m_autostartSwitch, &QCheckBox::clicked, this, [this](bool checked) {
        m_autostart->setEnabled(checked);
        m_autostartSwitch->setChecked(m_autostart->isEnabled());
    });
    connect(m_quickHideSwitch, &QCheckBox::clicked, this,
            [](bool checked) { Settings::instance()->setValue(SettingsKeys::desktopQuickHide, checked); });
    // A change from a menu shows here at once.
    connect(m_autostart->action(), &QAction::toggled, m_autostartSwitch, &QCheckBox::setChecked);

    for (QWidget *widget : findChildren<QWidget *>())
        widget->setCursor(Qt::ArrowCursor);
    setCursor(Qt::ArrowCursor);
    adjustSize();
    // Translated texts need another height, known once their labels have
    // taken the language's font.
    L10n::onLanguageChanged(
        this, [this] { QMetaObject::invokeMethod(this, &QWidget::adjustSize, Qt::QueuedConnection); });
    refresh();
}

SettingsToggle *SettingsWindow::addRow(QLayout *group, const char *title, const char *description,
                                       QLabel *note)
{
    auto *row = new QWidget;
    row->setObjectName(QStringLiteral("settingRow"));
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(18);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(4);
    auto *titleLabel = new QLabel(row);
    titleLabel->setObjectName(QStringLiteral("settingTitle"));
    L10n::bind(titleLabel, "text", title);
    auto *descriptionLabel = new QLabel(row);
    descriptionLabel->setObjectName(QStringLiteral("description"));
    descriptionLabel->setWordWrap(true);
    L10n::bind(descriptionLabel, "text", description);
    texts->addWidget(titleLabel);
    texts->addWidget(descriptionLabel);
    if (note)
        texts->addWidget(note);
    layout->addLayout(texts, 1);
    auto *toggle = new SettingsToggle(row);
    L10n::bind(toggle, "accessibleName", title);
    L10n::bind(toggle, "accessibleDescription", description);
    layout->addWidget(toggle);
    group->addWidget(row);
    return toggle;
}

void SettingsWindow::addDivider(QBoxLayout *group)
{
    auto *dividerRow = new QHBoxLayout;
    dividerRow->setContentsMargins(14, 0, 14, 0);
    auto *divider = new QWidget;
    divider->setObjectName(QStringLiteral("settingsDivider"));
    divider->setFixedHeight(1);
    dividerRow->addWidget(divider);
    group->addLayout(dividerRow);
}

QWidget *SettingsWindow::buildLanguageBlock()
{
    auto *block = new QWidget;
    auto *layout = new QVBoxLayout(block);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(6);
    auto *title = new QLabel(block);
    title->setObjectName(QStringLiteral("settingTitle"));
    L10n::bind(title, "text", "Language");
    m_languages = new LanguageCombo(block);
    m_languages->setObjectName(QStringLiteral("languageSelector"));
    L10n::bind(m_languages, "accessibleName", "Language");
    L10n::bind(m_languages->view(), "accessibleName", "Language");
    m_languages->setMinimumHeight(32);
    m_languages->setMaxVisibleItems(12);
    m_languages->setStyleSheet(languageListStyleSheet());
    layout->addWidget(title);
    layout->addWidget(m_languages);
    fillLanguages();
    return block;
}

void SettingsWindow::fillLanguages()
{
    const char *followSystem = m_words.followSystemLanguage;
    m_languages->addItem(L10n::text(followSystem), QStringLiteral("system"));
    for (const QString &code : L10n::languages())
        m_languages->addItem(nativeName(code), code);
    // The other items keep their own names in every language.
    L10n::onLanguageChanged(m_languages,
                            [this, followSystem] { m_languages->setItemText(0, L10n::text(followSystem)); });

    // A stored choice that is not in the list (edited by hand) shows as the
    // first item and stays stored until the user picks one.
    const QString stored = Settings::instance()->value(SettingsKeys::uiLanguage).toString();
    const int index = m_languages->findData(stored, Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive);
    m_languages->setCurrentIndex(std::max(index, 0));
    connect(m_languages, &QComboBox::currentIndexChanged, this,
            [this](int row) { L10n::changeLanguage(m_languages->itemData(row).toString()); });
}

void SettingsWindow::refresh()
{
    // The menus' entry is the same switch: both show what is real now.
    m_autostart->refresh();
    m_autostartSwitch->setChecked(m_autostart->isEnabled());
    m_iconsSwitch->setChecked(!m_shell->isHidden());
    m_quickHideSwitch->setChecked(Settings::instance()->value(SettingsKeys::desktopQuickHide).toBool());
    showSwitchMissing(m_shell->isSwitchMissing());
}

void SettingsWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_shell->setSwitchWatched(true);
}

void SettingsWindow::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    m_shell->setSwitchWatched(false);
}

void SettingsWindow::showSwitchMissing(bool missing)
{
    // A switch that would do nothing is not offered; while the desktop is
    // still being looked for, nothing is said yet.
    m_switchMissingNote->setVisible(missing);
    m_iconsSwitch->setEnabled(!missing);
    adjustSize();
}
