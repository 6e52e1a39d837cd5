#include "app/Lamp_panel.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QMouseEvent>

namespace {

// Moves the lamp whenever its parent changes size.
class Tcorner_keeper : public QObject {
public:
    Tcorner_keeper(QFrame* lamp, int right_margin) : QObject(lamp), lamp(lamp), right_margin(right_margin)
    {
        lamp->parentWidget()->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize && watched == lamp->parentWidget()) place();
        return false;
    }

private:
    void place() { lamp->move(lamp->parentWidget()->width() - right_margin - lamp->width(), lamp->y()); }

    QFrame* lamp;
    int right_margin;
};

class Tclick_watcher : public QObject {
public:
    Tclick_watcher(QFrame* lamp, std::function<void()> clicked) : QObject(lamp), clicked(std::move(clicked))
    {
        lamp->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonRelease) return false;
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) clicked();
        return true;
    }

private:
    std::function<void()> clicked;
};

}  // namespace

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

void keep_at_top_right(QFrame* lamp, int right_margin)
{
    if (lamp->parentWidget()) new Tcorner_keeper(lamp, right_margin);
}

void on_lamp_click(QFrame* lamp, const char* tip, std::function<void()> clicked)
{
    lamp->setCursor(Qt::PointingHandCursor);
    lamp->setToolTip(QString::fromUtf8(tip));
    new Tclick_watcher(lamp, std::move(clicked));
}
