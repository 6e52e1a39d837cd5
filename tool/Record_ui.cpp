#include "tool/Record_ui.h"

#include <cstring>
#include <utility>

#include "app/Gui.h"
#include "events/Event_resource.h"

namespace {

// The view window's lamp boxes, bit by bit as the request byte has them.
const char* const LAMP_BOXES[] = {"cb_lampe_A", "cb_lampe_B", "cb_lampe_C", "cb_lampe_T"};

bool named(const char* control, const char* name) { return control && std::strcmp(control, name) == 0; }

}  // namespace

Trecord_ui::Trecord_ui(int com_port, unsigned char lamp_bits, Tlog_line log_line, Tmy_event* changed)
    : Ttool_panes(MODE_VIEW), port(com_port), lamps(lamp_bits), log(std::move(log_line)), link_changed(changed)
{
}

// The three windows' lamps turn together; the first tells.
void Trecord_ui::set_color(Twindow, const char* control, unsigned rgb)
{
    if (!named(control, "pl_connected")) return;
    const Tlink now = rgb == RGB_GREEN ? LINK_CONNECTED : LINK_DISCONNECTED;
    if (now == link_state) return;
    link_state = now;
    if (link_changed) link_changed->trigger();
}

bool Trecord_ui::is_checked(Twindow window, const char* control)
{
    if (window != WIN_VIEW) return false;
    for (int lamp = 0; lamp < 4; lamp++)
        if (named(control, LAMP_BOXES[lamp])) return (lamps >> lamp) & 1;
    return false;
}

bool Trecord_ui::is_port_list(Twindow window, const char* control) const
{
    return window == WIN_SETTINGS && named(control, "cb_com_port");
}

int Trecord_ui::list_count(Twindow window, const char* control) { return is_port_list(window, control) ? 1 : 0; }

int Trecord_ui::list_value(Twindow window, const char* control, int index)
{
    return is_port_list(window, control) && index == 0 ? port : 0;
}

int Trecord_ui::list_selected(Twindow window, const char* control) { return is_port_list(window, control) ? 0 : -1; }

void Trecord_ui::append_line(Twindow, const char*, const char* line)
{
    if (log) log(line ? line : "");
}
