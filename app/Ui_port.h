#pragma once

// What the logic can do to the windows: plain operations on controls named
// by their object names. The Qt side implements it and holds no logic; tests
// may install a recording fake.
enum Twindow { WIN_MAIN, WIN_CAL, WIN_VIEW, WIN_SETTINGS };

constexpr unsigned RGB_GREEN = 0x00FF00;
constexpr unsigned RGB_BLACK = 0x000000;
constexpr unsigned COLOR_BUTTON_FACE = 0xFFFFFFFF;  // the palette's button colour

class Tui_port {
public:
    virtual ~Tui_port() = default;

    virtual void show_window(Twindow window, bool visible) = 0;
    // Returns when the dialog has been closed.
    virtual void show_modal(Twindow window) = 0;
    virtual void show_page(Twindow window, const char* page) = 0;
    virtual void quit() = 0;

    virtual void set_text(Twindow window, const char* control, const char* text) = 0;
    virtual const char* get_text(Twindow window, const char* control) = 0;
    virtual void set_color(Twindow window, const char* control, unsigned rgb) = 0;
    virtual void set_enabled(Twindow window, const char* control, bool enabled) = 0;
    virtual void set_checked(Twindow window, const char* control, bool checked) = 0;
    virtual bool is_checked(Twindow window, const char* control) = 0;

    // Lists whose items carry an integer value.
    virtual void list_clear(Twindow window, const char* control) = 0;
    virtual void list_add(Twindow window, const char* control, const char* text, int value) = 0;
    virtual int list_count(Twindow window, const char* control) = 0;
    virtual int list_value(Twindow window, const char* control, int index) = 0;
    // -1: no selection.
    virtual int list_selected(Twindow window, const char* control) = 0;
    virtual void list_select(Twindow window, const char* control, int index) = 0;

    // Multi-line log panes.
    virtual void append_line(Twindow window, const char* control, const char* line) = 0;
    virtual void clear_lines(Twindow window, const char* control) = 0;
};

// The windows in use; null until they exist (then the bridge updates nothing).
void set_ui_port(Tui_port* port);
Tui_port* ui_port();
