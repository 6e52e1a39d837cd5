#include "support/Fake_ui.h"

const char* window_name(Twindow window)
{
    switch (window) {
    case WIN_MAIN: return "main";
    case WIN_CAL: return "cal";
    case WIN_VIEW: return "view";
    case WIN_SETTINGS: return "settings";
    }
    return "?";
}

Tfake_ui::Tfake_ui() : previous(ui_port()) { set_ui_port(this); }

Tfake_ui::~Tfake_ui() { set_ui_port(previous); }

void Tfake_ui::record(const char* operation, Twindow window, const char* control, const std::string& argument)
{
    std::string call = std::string(operation) + " " + window_name(window);
    if (control) call += std::string(" ") + control;
    if (!argument.empty()) call += " " + argument;
    calls.push_back(call);
}

Tfake_ui::Tcontrol& Tfake_ui::control(Twindow window, const char* name)
{
    return controls[{window, name ? name : ""}];
}

bool Tfake_ui::has_control(Twindow window, const char* name) const
{
    return controls.count({window, name ? name : ""}) != 0;
}

Tfake_ui::Twindow_state& Tfake_ui::window(Twindow window) { return windows[window]; }

void Tfake_ui::show_window(Twindow w, bool visible)
{
    record(visible ? "show" : "hide", w, nullptr);
    Twindow_state& state = window(w);
    state.visible = visible;
    (visible ? state.shown_count : state.hidden_count)++;
}

void Tfake_ui::show_modal(Twindow w)
{
    record("modal", w, nullptr);
    window(w).modal_count++;
    if (on_modal) on_modal(this, w);
}

void Tfake_ui::show_page(Twindow w, const char* page)
{
    record("page", w, page);
    window(w).page = page ? page : "";
}

void Tfake_ui::quit()
{
    calls.push_back("quit");
    quit_count++;
}

void Tfake_ui::set_text(Twindow w, const char* name, const char* text)
{
    record("text", w, name, text ? text : "");
    control(w, name).text = text ? text : "";
}

const char* Tfake_ui::get_text(Twindow w, const char* name) { return control(w, name).text.c_str(); }

void Tfake_ui::set_color(Twindow w, const char* name, unsigned rgb)
{
    record("color", w, name, std::to_string(rgb));
    Tcontrol& c = control(w, name);
    c.color = rgb;
    c.color_set = true;
}

void Tfake_ui::set_enabled(Twindow w, const char* name, bool enabled)
{
    record("enabled", w, name, enabled ? "1" : "0");
    control(w, name).enabled = enabled;
}

void Tfake_ui::set_checked(Twindow w, const char* name, bool checked)
{
    record("checked", w, name, checked ? "1" : "0");
    control(w, name).checked = checked;
}

bool Tfake_ui::is_checked(Twindow w, const char* name) { return control(w, name).checked; }

void Tfake_ui::list_clear(Twindow w, const char* name)
{
    record("list_clear", w, name);
    Tcontrol& c = control(w, name);
    c.items.clear();
    c.selected = -1;
}

void Tfake_ui::list_add(Twindow w, const char* name, const char* text, int value)
{
    record("list_add", w, name, std::string(text ? text : "") + "=" + std::to_string(value));
    control(w, name).items.push_back({text ? text : "", value});
}

int Tfake_ui::list_count(Twindow w, const char* name) { return (int)control(w, name).items.size(); }

int Tfake_ui::list_value(Twindow w, const char* name, int index)
{
    const Tcontrol& c = control(w, name);
    if (index < 0 || index >= (int)c.items.size()) return 0;
    return c.items[index].value;
}

int Tfake_ui::list_selected(Twindow w, const char* name) { return control(w, name).selected; }

void Tfake_ui::list_select(Twindow w, const char* name, int index)
{
    record("list_select", w, name, std::to_string(index));
    Tcontrol& c = control(w, name);
    c.selected = (index >= 0 && index < (int)c.items.size()) ? index : -1;
}

void Tfake_ui::append_line(Twindow w, const char* name, const char* line)
{
    control(w, name).lines.push_back(line ? line : "");
}

void Tfake_ui::clear_lines(Twindow w, const char* name)
{
    record("clear_lines", w, name);
    Tcontrol& c = control(w, name);
    c.lines.clear();
    c.cleared++;
}

std::vector<std::string> Tfake_ui::item_texts(Twindow w, const char* name)
{
    std::vector<std::string> texts;
    for (const Tlist_item& item : control(w, name).items) texts.push_back(item.text);
    return texts;
}

std::string Tfake_ui::selected_text(Twindow w, const char* name)
{
    const Tcontrol& c = control(w, name);
    return c.selected < 0 ? std::string() : c.items[c.selected].text;
}

void Tfake_ui::set_items(Twindow w, const char* name, const std::vector<std::pair<std::string, int>>& items,
                         int selected)
{
    Tcontrol& c = control(w, name);
    c.items.clear();
    for (const auto& [text, value] : items) c.items.push_back({text, value});
    c.selected = selected;
}
