#include "app/Lamp_panel.h"

#include <QApplication>
#include <QFrame>

QFrame* new_lamp_panel(QWidget* parent, const char* name, int x, int y, int size)
{
    auto* lamp = new QFrame(parent);
    lamp->setObjectName(name);
    lamp->setGeometry(x, y, size, size);
    lamp->setFrameShape(QFrame::Panel);
    lamp->setFrameShadow(QFrame::Raised);
    QPalette palette = lamp->palette();
    palette.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    lamp->setPalette(palette);
    lamp->setAutoFillBackground(true);
    return lamp;
}
