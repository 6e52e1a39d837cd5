#include "app/Wlumo_settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/Gui.h"

TFlumo_settings::TFlumo_settings(QWidget* parent) : QDialog(parent)
{
    setObjectName("Flumo_settings");
    setWindowTitle("Settings");
    setFixedSize(585, 294);

    GroupBox1 = new QGroupBox("Timezone", this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(8, 8, 281, 225);
    Label1 = new QLabel("User's selected timezone", GroupBox1);
    Label1->setObjectName("Label1");
    Label1->setGeometry(16, 28, 249, 17);
    cb_ttimezone = new QComboBox(GroupBox1);
    cb_ttimezone->setObjectName("cb_ttimezone");
    cb_ttimezone->setGeometry(16, 50, 249, 25);
    Memo1 = new QPlainTextEdit(GroupBox1);
    Memo1->setObjectName("Memo1");
    Memo1->setGeometry(8, 90, 265, 119);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setPlainText("note :\n"
                        "time zone is used to display data. But the \n"
                        "program also stores the UNIX timestamp of \n"
                        "each measurement");
    QPalette face = Memo1->palette();
    face.setColor(QPalette::Base, QApplication::palette().color(QPalette::Button));
    Memo1->setPalette(face);

    GroupBox2 = new QGroupBox("Communication", this);
    GroupBox2->setObjectName("GroupBox2");
    GroupBox2->setGeometry(296, 8, 281, 225);
    Label2 = new QLabel("select COM port", GroupBox2);
    Label2->setObjectName("Label2");
    Label2->setGeometry(16, 28, 249, 17);
    cb_com_port = new QComboBox(GroupBox2);
    cb_com_port->setObjectName("cb_com_port");
    cb_com_port->setGeometry(16, 50, 161, 25);
    cb_com_port->setPlaceholderText("---");
    Button4 = new QPushButton("Update", GroupBox2);
    Button4->setObjectName("Button4");
    Button4->setGeometry(190, 50, 75, 25);
    cb_autoconnect = new QCheckBox("Auto Connect", GroupBox2);
    cb_autoconnect->setObjectName("cb_autoconnect");
    cb_autoconnect->setGeometry(16, 92, 249, 21);

    bt_save = new QPushButton("Save", this);
    bt_save->setObjectName("bt_save");
    bt_save->setGeometry(206, 252, 75, 27);
    bt_cancel = new QPushButton("Cancel", this);
    bt_cancel->setObjectName("bt_cancel");
    bt_cancel->setGeometry(304, 252, 75, 27);

    connect(Button4, &QPushButton::clicked, [] { dispatch_command(CMD_UPDATE_PORTS); });
    // The dialog closes once the click is handled; saving still reads its controls.
    connect(bt_save, &QPushButton::clicked, this, [this] {
        dispatch_command(CMD_SAVE_SETTINGS);
        done(1);
    });
    connect(bt_cancel, &QPushButton::clicked, this, [this] { done(1); });
}
