#pragma once
#include <QIcon>
#include <QMainWindow>

class QAction;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The emblem of the main window, as every window's icon.
QIcon program_icon();

// The main window: opens the live view or the calibration, the settings
// dialog, shows or hides its log pane and ends the program.
class TFframe : public QMainWindow {
    Q_OBJECT
public:
    explicit TFframe(QWidget* parent = nullptr);

    static constexpr int LOG_SHOWN_HEIGHT = 500;
    static constexpr int LOG_HIDDEN_HEIGHT = 398;

    QFrame* Panel1;
    QLabel* Image1;
    QPushButton* Button1;
    QPushButton* Button2;
    QFrame* pl_connected;
    // What the start after a crash took up again; hidden until then.
    QLabel* lb_resumed;
    QPlainTextEdit* Memo0;
    QAction* exit1;
    QAction* viewlog1;
    QAction* exit3;

    void show_banner(const char* text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void toggle_log();
};
