#pragma once

#include "shell/PlatformLook.h"

#include <QDialog>

class AutostartControl;
class LanguageCombo;
class QBoxLayout;
class QLabel;
class SettingsToggle;
class ShellDesktop;

// The small window with the settings that are not part of the panels: start
// at sign-in, the real desktop icons beside the panels, hiding everything by a
// double-click on the desktop, and the language.
// Changes take effect at once; closing it only hides it.
class SettingsWindow : public QDialog
{
    Q_OBJECT

public:
    static constexpr int fixedWidth = 420;

    SettingsWindow(ShellDesktop *shell, AutostartControl *autostart, const PlatformLook &look,
                   QWidget *parent = nullptr);

    // Re-reads both switches from the real state.
    void refresh();

    SettingsToggle *autostartSwitch() const { return m_autostartSwitch; }
    SettingsToggle *desktopIconsSwitch() const { return m_iconsSwitch; }
    SettingsToggle *quickHideSwitch() const { return m_quickHideSwitch; }
    // Said under the desktop-icons switch while the desktop has no switch to hide its icons.
    QLabel *switchMissingNote() const { return m_switchMissingNote; }
    LanguageCombo *languageList() const { return m_languages; }

protected:
    // Whether the desktop has a switch is looked for only while it is said here.
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    SettingsToggle *addRow(QLayout *group, const char *title, const char *description,
                           QLabel *note = nullptr);
    void addDivider(QBoxLayout *group);
    void showSwitchMissing(bool missing);
    QWidget *buildLanguageBlock();
    void fillLanguages();

    ShellDesktop *m_shell;
    AutostartControl *m_autostart;
    PlatformLook::Words m_words;
    SettingsToggle *m_autostartSwitch = nullptr;
    SettingsToggle *m_iconsSwitch = nullptr;
    SettingsToggle *m_quickHideSwitch = nullptr;
    QLabel *m_switchMissingNote = nullptr;
    LanguageCombo *m_languages = nullptr;
};
