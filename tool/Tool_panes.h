#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/Ui_port.h"

// The windows as the tool sees them: the lines written into the log panes,
// nothing else. While it lives it is the bridge's port, the log goes through
// the bridge (log_append), and the bridge is in the given mode on log
// channel 0; the destructor puts the previous port, no log sink, the main
// mode and channel 0 back.
class Ttool_panes : public Tui_port {
public:
    explicit Ttool_panes(int mode);
    ~Ttool_panes() override;
    Ttool_panes(const Ttool_panes&) = delete;
    Ttool_panes& operator=(const Ttool_panes&) = delete;

    // The pane's lines since it was last cleared.
    const std::vector<std::string>& lines(Twindow window, const char* pane);

    void show_window(Twindow, bool) override {}
    void show_modal(Twindow) override {}
    void show_page(Twindow, const char*) override {}
    void quit() override {}
    void set_text(Twindow, const char*, const char*) override {}
    const char* get_text(Twindow, const char*) override { return ""; }
    void set_color(Twindow, const char*, unsigned) override {}
    void set_enabled(Twindow, const char*, bool) override {}
    void set_checked(Twindow, const char*, bool) override {}
    bool is_checked(Twindow, const char*) override { return false; }
    void list_clear(Twindow, const char*) override {}
    void list_add(Twindow, const char*, const char*, int) override {}
    int list_count(Twindow, const char*) override { return 0; }
    int list_value(Twindow, const char*, int) override { return 0; }
    int list_selected(Twindow, const char*) override { return -1; }
    void list_select(Twindow, const char*, int) override {}
    void append_line(Twindow window, const char* pane, const char* line) override;
    void clear_lines(Twindow window, const char* pane) override;

private:
    std::map<std::pair<int, std::string>, std::vector<std::string>> panes;
    Tui_port* previous;
};
