#pragma once

#include <QComboBox>

class CompositorWatch;

// A currency selector: its codes in a dark rounded box with a chevron, a dark
// list popup, and type-ahead search of the codes from the keyboard.
class CurrencyCombo : public QComboBox
{
    Q_OBJECT

public:
    static constexpr int popupRadius = 7;

    // compositor: the watch the list's window follows (see CompositorShape).
    explicit CurrencyCombo(CompositorWatch *compositor = nullptr, QWidget *parent = nullptr);
    ~CurrencyCombo() override;

    // Selects the code when it is offered; otherwise the selection stays.
    void selectCode(const QString &code);

    // Names the selector and its list, in the current language, for assistive technology.
    void bindName(const char *sourceText);

    void showPopup() override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    CompositorWatch *m_compositor;
    bool m_popupMade = false;
    const char *m_name = nullptr;
};
