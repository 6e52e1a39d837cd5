#include "tool/Tool_panes.h"

#include "app/Gui.h"
#include "events/My_string.h"

Ttool_panes::Ttool_panes(int mode) : previous(ui_port())
{
    set_ui_port(this);
    set_log_sink(log_append);
    // The mode commands are 10000 plus the mode, as the windows send them.
    dispatch_command(CMD_MODE_MAIN + mode);
    log_select(0);
}

Ttool_panes::~Ttool_panes()
{
    log_select(0);
    dispatch_command(CMD_MODE_MAIN);
    set_log_sink(nullptr);
    set_ui_port(previous);
}

const std::vector<std::string>& Ttool_panes::lines(Twindow window, const char* pane)
{
    return panes[{window, pane}];
}

void Ttool_panes::append_line(Twindow window, const char* pane, const char* line)
{
    panes[{window, pane}].push_back(line);
}

void Ttool_panes::clear_lines(Twindow window, const char* pane)
{
    panes[{window, pane}].clear();
}
