#pragma once

#include <QColor>
#include <QRectF>
#include <QSize>
#include <QString>

class GlyphButton;
class QLabel;
class QLineEdit;
class QListView;
class QPainter;
class QTextEdit;
class QWidget;

// The look of the to-do panel: its widgets' colours, fonts and frames, and the
// painting of its body and header (glyph, title, count of open tasks). Set as
// palettes and fonts rather than a style sheet, which would give the panel a
// style sheet engine at start.
namespace TodoStyle {

// The line where a task is typed.
void styleInput(QLineEdit *input);
// The list of tasks, drawn by its delegate on the panel's body.
void styleList(QListView *list);
// What the panel says when it shows no task.
void styleEmptyLabel(QLabel *label);
// The warning under the input that the list could not be saved.
void styleSaveStatus(QLabel *label);
// The box laid over a task's title to select its text.
void styleTaskText(QTextEdit *text);
GlyphButton *createAddButton(QWidget *parent);
GlyphButton *createCompletedToggle(QWidget *parent);

inline constexpr QColor activeText{0xf2, 0xf4, 0xf8};
inline constexpr QColor completedText{0x7f, 0x89, 0x98};

struct Chrome
{
    QSize size;
    bool rightToLeft = false;
    bool opaque = false;
    QString title;
    int activeCount = 0;
};

// Where the header's title text stands (before mirroring).
inline constexpr int titleX = 38;

// Where the header's parts go, mirrored for a right-to-left panel: the title
// stands by the glyph on the leading side, the count of open tasks right after it.
struct Header
{
    QRectF glyph;
    QRectF title;
    Qt::Alignment titleAlignment;
    QString titleText; // elided to its room
    QRectF badge;      // empty without open tasks
    QString count;
};
Header header(const Chrome &chrome);

void paint(QPainter *painter, const Chrome &chrome);

} // namespace TodoStyle
