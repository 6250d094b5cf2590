#include "ResizeGrip.h"

namespace PanelResize {

Grip::Grip(QWidget *parent)
    : QSizeGrip(parent)
{}

Grip::~Grip() = default;

void Grip::paintEvent(QPaintEvent *) {}

} // namespace PanelResize
