#pragma once

#include "frame/FrameController.h"
#include "todo/TodoStyle.h"

#include <QWidget>

class GuideOverlay;
class HoverTracker;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QTextEdit;
class TodoDelegate;
class TodoFilter;
class TodoListInput;
class TodoModel;
class TodoTextSelection;
namespace PanelResize {
class Grip;
}

// The floating to-do list: a field to add tasks, the tasks with their check
// marks, and a switch to hide completed ones. Its height follows its content
// (up to six rows, more scroll); it moves, resizes, snaps and locks like every
// panel window. Closing only hides it and asks its owner to record that.
class TodoPanel : public QWidget
{
    Q_OBJECT

public:
    explicit TodoPanel(TodoModel *model, QWidget *parent = nullptr);
    ~TodoPanel() override;

    void setGuideOverlay(GuideOverlay *overlay);
    void setPeerRectsProvider(FrameController::PeerProvider provider);
    // Places the panel where it was, or at defaultRect when that is unknown or
    // off every screen.
    void restorePanelGeometry(const QRect &defaultRect);
    void savePanelGeometry();
    void setLayoutLocked(bool locked);
    bool isLayoutLocked() const;
    // Without a compositing manager the panel paints solid with a rounded shape.
    void setCompositing(bool composited);

    // The panel's height for its current content and width.
    int fittingHeight() const;
    bool hidesCompleted() const { return m_hideCompleted; }
    // What the panel's own painting shows: its size, direction, title and count.
    TodoStyle::Chrome chrome() const;

    TodoModel *model() const { return m_model; }
    TodoFilter *filter() const { return m_filter; }
    QListView *list() const { return m_list; }
    QLineEdit *input() const { return m_input; }
    QLabel *emptyLabel() const { return m_emptyLabel; }
    QLabel *saveStatus() const { return m_saveStatus; }
    QPushButton *completedToggle() const { return m_completedToggle; }
    QPushButton *closeButton() const { return m_closeButton; }
    QTextEdit *taskText() const;
    QWidget *grip() const;

public Q_SLOTS:
    void addFromInput();
    void toggleHideCompleted();
    void refreshState();
    void fitHeight();

Q_SIGNALS:
    void hideRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildContent();
    void connectModel();
    void hoverChanged(bool hovered);
    void updateScrollBarStyle();
    void showContextMenu(QPoint viewportPosition);
    void layoutChildren();
    int rowWidth() const;

    TodoModel *m_model;
    TodoFilter *m_filter;
    QWidget *m_body = nullptr;
    QLineEdit *m_input = nullptr;
    QPushButton *m_addButton = nullptr;
    QListView *m_list = nullptr;
    QLabel *m_emptyLabel = nullptr;
    // Shown while the list's changes could not be saved.
    QLabel *m_saveStatus = nullptr;
    QPushButton *m_completedToggle = nullptr;
    QPushButton *m_closeButton = nullptr;
    PanelResize::Grip *m_grip = nullptr;
    TodoDelegate *m_delegate = nullptr;
    TodoTextSelection *m_selection = nullptr;
    TodoListInput *m_listInput = nullptr;
    FrameController *m_frame;
    HoverTracker *m_hover;
    bool m_hideCompleted = false;
    bool m_composited = true;
};
