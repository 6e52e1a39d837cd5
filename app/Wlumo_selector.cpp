#include "app/Wlumo_selector.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>

#include <algorithm>

#include "app/Form_helpers.h"
#include "app/Gui.h"
#include "app/Lamp_panel.h"

namespace {

// The selector's emblem: a cuvette in a beam of light with the four lamp colours.
QPixmap emblem(const QColor& background)
{
    QPixmap picture(120, 120);
    picture.fill(background);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 70, 120), 3));
    painter.setBrush(QColor(225, 238, 250));
    painter.drawRoundedRect(QRectF(8, 8, 104, 104), 14, 14);

    QPainterPath drop;
    drop.moveTo(60, 20);
    drop.cubicTo(84, 52, 92, 66, 86, 80);
    drop.arcTo(QRectF(34, 54, 52, 46), 0, -180);
    drop.cubicTo(28, 66, 36, 52, 60, 20);
    painter.setPen(QPen(QColor(20, 90, 160), 2));
    painter.setBrush(QColor(120, 190, 90));
    painter.drawPath(drop);

    const QColor lamps[] = {QColor(0, 170, 60), QColor(220, 40, 120), QColor(60, 90, 230), QColor(150, 150, 150)};
    for (int i = 0; i < 4; i++) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(lamps[i]);
        painter.drawEllipse(QRectF(22 + i * 20, 94, 12, 12));
    }
    return picture;
}

// The client area: the panel at the top at its fixed height (cut when the
// window is lower), the log pane below it taking what is left.
class Tselector_client : public QWidget {
public:
    explicit Tselector_client(QWidget* parent) : QWidget(parent) {}
    QWidget* panel = nullptr;
    QWidget* log = nullptr;
    static constexpr int PANEL_HEIGHT = 433;

protected:
    void resizeEvent(QResizeEvent*) override
    {
        panel->setGeometry(0, 0, width(), PANEL_HEIGHT);
        log->setGeometry(0, PANEL_HEIGHT, width(), std::max(0, height() - PANEL_HEIGHT));
    }
};

}  // namespace

TFframe::TFframe(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("Fframe");
    setWindowTitle("Dravenor Lumo 2");
    resize(442, 495);

    auto* client = new Tselector_client(this);
    setCentralWidget(client);

    Panel1 = new QFrame(client);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setAutoFillBackground(true);
    QPalette white = Panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel1->setPalette(white);
    client->panel = Panel1;

    Image1 = placed(new QLabel(Panel1), "Image1", {8, 8, 120, 120});
    Image1->setPixmap(emblem(Qt::white));

    Button1 = placed(new QPushButton("Lumo View", Panel1), "Button1", {88, 184, 75, 73});
    Button2 = placed(new QPushButton("Lumo Cal", Panel1), "Button2", {248, 184, 75, 73});

    pl_connected = new_lamp_panel(Panel1, "pl_connected", 392, 8, 25);
    lb_resumed = placed(new QLabel(Panel1), "lb_resumed", {8, 276, 426, 150});
    lb_resumed->setWordWrap(true);
    lb_resumed->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lb_resumed->setStyleSheet("QLabel { background: #fff3c4; border: 1px solid #c9a200; padding: 6px; }");
    lb_resumed->hide();

    Memo0 = text_pane(client, "Memo0", 0, true);
    Memo0->hide();
    client->log = Memo0;

    QMenu* file = add_menu(menuBar(), "File1", "File");
    exit1 = add_item(file, "exit1", "settings...");
    file->addSeparator();
    viewlog1 = add_item(file, "viewlog1", "Show log");
    file->addSeparator();
    exit3 = add_item(file, "exit3", "exit");

    connect(Button1, &QPushButton::clicked, [] { dispatch_command(CMD_MODE_VIEW); });
    connect(Button2, &QPushButton::clicked, [] { dispatch_command(CMD_MODE_CALIBRATION); });
    connect(exit1, &QAction::triggered, [] { display_set(DSP_PANEL, "SETTINGS"); });
    connect(viewlog1, &QAction::triggered, this, &TFframe::toggle_log);
    connect(exit3, &QAction::triggered, [] { dispatch_command(CMD_EXIT); });
}

void TFframe::toggle_log()
{
    const bool show = Memo0->isHidden();
    Memo0->setVisible(show);
    resize(width(), show ? LOG_SHOWN_HEIGHT : LOG_HIDDEN_HEIGHT);
    viewlog1->setText(show ? "Hide Log" : "Show Log");
}

void TFframe::show_banner(const char* text)
{
    lb_resumed->setText(QString::fromLocal8Bit(text));
    lb_resumed->show();
}

// Closing the main window ends the program like "exit".
void TFframe::closeEvent(QCloseEvent* event)
{
    event->accept();
    dispatch_command(CMD_EXIT);
}

QIcon program_icon()
{
    return QIcon(emblem(Qt::transparent));
}
