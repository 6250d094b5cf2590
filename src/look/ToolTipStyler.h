#pragma once

#include <QObject>

class QApplication;

// Gives the program's tool tips their look. A style sheet on the application
// would do it too, but then every widget of every window is polished by the
// style sheet engine, which costs start-up time and about a megabyte; this
// gives the sheet to the tool tip alone as it is made.
class ToolTipStyler : public QObject
{
    Q_OBJECT

public:
    // Installs the styler for the application's lifetime.
    static void install(QApplication *app);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit ToolTipStyler(QObject *parent);
};
