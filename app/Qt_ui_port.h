#pragma once
#include <QByteArray>
#include <QPointer>
#include <QWidget>

#include "app/Ui_port.h"

// The windows as the bridge sees them: each operation finds the control by
// its object name in the window and applies itself by the control's kind.
// Operations on a missing control or a control of another kind do nothing.
class Tqt_ui_port : public Tui_port {
public:
    Tqt_ui_port(QWidget* main, QWidget* cal, QWidget* view, QWidget* settings);

    void show_window(Twindow window, bool visible) override;
    void show_modal(Twindow window) override;
    void show_page(Twindow window, const char* page) override;
    void quit() override;

    void set_text(Twindow window, const char* control, const char* text) override;
    // The text stays valid until the next get_text.
    const char* get_text(Twindow window, const char* control) override;
    void set_color(Twindow window, const char* control, unsigned rgb) override;
    void set_enabled(Twindow window, const char* control, bool enabled) override;
    void set_checked(Twindow window, const char* control, bool checked) override;
    bool is_checked(Twindow window, const char* control) override;

    void list_clear(Twindow window, const char* control) override;
    void list_add(Twindow window, const char* control, const char* text, int value) override;
    int list_count(Twindow window, const char* control) override;
    int list_value(Twindow window, const char* control, int index) override;
    int list_selected(Twindow window, const char* control) override;
    void list_select(Twindow window, const char* control, int index) override;

    void append_line(Twindow window, const char* control, const char* line) override;
    void clear_lines(Twindow window, const char* control) override;

    // A log pane keeps this many of its newest lines.
    static constexpr int MAX_PANE_LINES = 100000;

private:
    QWidget* window_widget(Twindow window) const;
    QObject* find(Twindow window, const char* control) const;
    template <typename T>
    T* find_as(Twindow window, const char* control) const
    {
        return qobject_cast<T*>(find(window, control));
    }

    QPointer<QWidget> windows[4];
    QByteArray last_text;
};
