#pragma once
#include <functional>

#include "tool/Tool_panes.h"

class Tmy_event;

// The windows as the recorder answers the bridge, in view mode: the
// settings dialog's COM port list holds the one chosen port, the view
// window's lamp boxes are ticked as chosen, the connection lamps tell of
// the link, and log lines go to the sink instead of a pane.
class Trecord_ui : public Ttool_panes {
public:
    enum Tlink { LINK_NOT_YET, LINK_CONNECTED, LINK_DISCONNECTED };
    using Tlog_line = std::function<void(const char* line)>;

    // lamps: A 1, B 2, C 4, T 8. link_changed is raised whenever the
    // connection lamps change.
    Trecord_ui(int port, unsigned char lamps, Tlog_line log, Tmy_event* link_changed);

    Tlink link() const { return link_state; }

    void set_color(Twindow window, const char* control, unsigned rgb) override;
    bool is_checked(Twindow window, const char* control) override;
    int list_count(Twindow window, const char* control) override;
    int list_value(Twindow window, const char* control, int index) override;
    int list_selected(Twindow window, const char* control) override;
    void append_line(Twindow window, const char* pane, const char* line) override;

private:
    bool is_port_list(Twindow window, const char* control) const;

    int port;
    unsigned char lamps;
    Tlog_line log;
    Tmy_event* link_changed;
    Tlink link_state = LINK_NOT_YET;
};
