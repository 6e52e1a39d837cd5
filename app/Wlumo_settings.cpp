#include "app/Wlumo_settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/Form_helpers.h"
#include "app/Gui.h"

TFlumo_settings::TFlumo_settings(QWidget* parent) : QDialog(parent)
{
    setObjectName("Flumo_settings");
    setWindowTitle("Settings");
    setFixedSize(585, 294);

    GroupBox1 = placed(new QGroupBox("Timezone", this), "GroupBox1", {8, 8, 281, 225});
    Label1 = placed(new QLabel("User's selected timezone", GroupBox1), "Label1", {16, 28, 249, 17});
    cb_ttimezone = placed(new QComboBox(GroupBox1), "cb_ttimezone", {16, 50, 249, 25});
    Memo1 = text_pane(GroupBox1, "Memo1", 0, false);
    Memo1->setGeometry(8, 90, 265, 119);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setPlainText("note :\n"
                        "time zone is used to display data. But the \n"
                        "program also stores the UNIX timestamp of \n"
                        "each measurement");
    QPalette face = Memo1->palette();
    face.setColor(QPalette::Base, QApplication::palette().color(QPalette::Button));
    Memo1->setPalette(face);

    GroupBox2 = placed(new QGroupBox("Communication", this), "GroupBox2", {296, 8, 281, 225});
    Label2 = placed(new QLabel("select COM port", GroupBox2), "Label2", {16, 28, 249, 17});
    cb_com_port = placed(new QComboBox(GroupBox2), "cb_com_port", {16, 50, 161, 25});
    cb_com_port->setPlaceholderText("---");
    Button4 = placed(new QPushButton("Update", GroupBox2), "Button4", {190, 50, 75, 25});
    cb_autoconnect = placed(new QCheckBox("Auto Connect", GroupBox2), "cb_autoconnect", {16, 92, 249, 21});
    cb_resume = placed(new QCheckBox("Resume measuring after a crash", GroupBox2), "cb_resume", {16, 120, 249, 21});
    cb_resume->setChecked(true);
    cb_resume->setToolTip("At the next start, continue the journal a crash left open, load its constants again "
                          "and measure again if it was measuring.");

    bt_save = placed(new QPushButton("Save", this), "bt_save", {206, 252, 75, 27});
    bt_cancel = placed(new QPushButton("Cancel", this), "bt_cancel", {304, 252, 75, 27});

    connect(Button4, &QPushButton::clicked, [] { dispatch_command(CMD_UPDATE_PORTS); });
    // The dialog closes once the click is handled; saving still reads its controls.
    connect(bt_save, &QPushButton::clicked, this, [this] {
        dispatch_command(CMD_SAVE_SETTINGS);
        done(1);
    });
    connect(bt_cancel, &QPushButton::clicked, this, [this] { done(1); });
}
