#pragma once
#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The settings dialog: time zone, COM port and automatic connection. Filled
// and read by the connection manager through the bridge; created once and
// reused, so its controls keep their state between showings.
class TFlumo_settings : public QDialog {
    Q_OBJECT
public:
    explicit TFlumo_settings(QWidget* parent = nullptr);

    QGroupBox* GroupBox1;
    QLabel* Label1;
    QComboBox* cb_ttimezone;
    QPlainTextEdit* Memo1;
    QGroupBox* GroupBox2;
    QLabel* Label2;
    QComboBox* cb_com_port;
    QPushButton* Button4;
    QCheckBox* cb_autoconnect;
    QCheckBox* cb_resume;
    QPushButton* bt_save;
    QPushButton* bt_cancel;
};
