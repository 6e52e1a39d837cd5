#pragma once
// Link a test program with lumo2_test_support to use it:
//   target_link_libraries(<test> PRIVATE lumo2_test_support)
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/Ui_port.h"

// A recording stand-in for the windows: logic tests install it with
// set_ui_port and then look at what the user would see.
class Tfake_ui : public Tui_port {
public:
    struct Tlist_item {
        std::string text;
        int value = 0;
    };

    // One control's visible state. A control that was never touched reads as
    // empty text, colour 0, enabled, unchecked, no items, no selection.
    struct Tcontrol {
        std::string text;
        unsigned color = 0;
        bool color_set = false;
        bool enabled = true;
        bool checked = false;
        std::vector<Tlist_item> items;
        int selected = -1;
        std::vector<std::string> lines;
        int cleared = 0;  // how often clear_lines ran
    };

    struct Twindow_state {
        bool visible = false;
        int shown_count = 0;
        int hidden_count = 0;
        int modal_count = 0;
        std::string page;
    };

    Tfake_ui();
    // Installs itself as the port; the destructor restores the previous one.
    ~Tfake_ui() override;

    void show_window(Twindow window, bool visible) override;
    void show_modal(Twindow window) override;
    void show_page(Twindow window, const char* page) override;
    void quit() override;

    void set_text(Twindow window, const char* control, const char* text) override;
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

    // Inspection and set-up for tests.
    Tcontrol& control(Twindow window, const char* name);
    bool has_control(Twindow window, const char* name) const;
    Twindow_state& window(Twindow window);
    const std::string& text(Twindow window, const char* name) { return control(window, name).text; }
    const std::vector<std::string>& lines(Twindow window, const char* name) { return control(window, name).lines; }
    // The texts of a list's items, in order.
    std::vector<std::string> item_texts(Twindow window, const char* name);
    // A list's selected item text, or "" without a selection.
    std::string selected_text(Twindow window, const char* name);
    // Fills a list as the user would see it (test set-up, not recorded as calls).
    void set_items(Twindow window, const char* name, const std::vector<std::pair<std::string, int>>& items,
                   int selected = -1);

    // Called from show_modal, to act as the user inside the dialog.
    void (*on_modal)(Tfake_ui* ui, Twindow window) = nullptr;

    int quit_count = 0;
    // Every operation in order, as "operation window control [argument]".
    std::vector<std::string> calls;

private:
    std::map<std::pair<int, std::string>, Tcontrol> controls;
    std::map<int, Twindow_state> windows;
    Tui_port* previous;
    void record(const char* operation, Twindow window, const char* control, const std::string& argument = "");
};

const char* window_name(Twindow window);
