#pragma once

#include <QSizeGrip>

namespace PanelResize {

// The bottom-right resize handle of an icon panel. It draws nothing: the panel's
// own frame logic does the resizing, so the corner just offers the cursor.
class Grip : public QSizeGrip
{
    Q_OBJECT

public:
    explicit Grip(QWidget *parent);
    ~Grip() override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace PanelResize
