#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

class CompositorShape;
class CompositorWatch;
class QAbstractItemModel;
class QLabel;
class QLineEdit;
class QListView;
class SearchFilter;
struct SearchTrigger;

// A small popup that finds any desktop item by name and opens it from the
// keyboard. It opens where the user started typing in a panel, with what was
// typed already in its field; Up and Down choose, Enter or a double-click opens
// (through openRequested: the owner decides what opening means), Esc closes and
// gives the keyboard back to where it was.
class QuickSearch : public QWidget
{
    Q_OBJECT

public:
    // compositor: the program's watch, which the window follows (see CompositorShape).
    explicit QuickSearch(QAbstractItemModel *model, CompositorWatch *compositor = nullptr);
    ~QuickSearch() override;

    // Opens for a trigger from a panel: its text, or its input method's composition.
    void start(QWidget *source, const SearchTrigger &trigger);
    // Opens on the screen of source, with initialText in the field.
    void showFor(QWidget *source, const QString &initialText);
    // Opens the current result, if there is one.
    void activateCurrent();
    // Hides; with returnFocus the source widget gets the keyboard back.
    void dismiss(bool returnFocus);

    SearchFilter *filter() const { return m_filter; }
    // The available area of the source's screen, inset; null before the first opening.
    QRect searchArea() const { return m_searchArea; }

Q_SIGNALS:
    // The chosen item, as an index of the searched model; the window is hidden already.
    void openRequested(const QModelIndex &sourceIndex);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void buildUi();
    void textChanged(const QString &text);
    void selectFirst();
    void refreshStatus();
    bool handleKey(QKeyEvent *event);

    QPointer<QWidget> m_source;
    CompositorShape *m_shape;
    SearchFilter *m_filter = nullptr;
    QLineEdit *m_input = nullptr;
    QListView *m_results = nullptr;
    QLabel *m_emptyLabel = nullptr;
    QLabel *m_countLabel = nullptr;
    QRect m_searchArea;
    bool m_composing = false;
};
