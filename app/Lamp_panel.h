#pragma once

#include <functional>

class QFrame;
class QWidget;

// A small raised square panel used as an indicator lamp; it starts in the
// button-face colour whatever its parent's background.
QFrame* new_lamp_panel(QWidget* parent, const char* name, int x, int y, int size);

// Keeps the lamp at the top right of its parent, `right_margin` pixels from
// the right edge, as the parent is resized.
void keep_at_top_right(QFrame* lamp, int right_margin);

// Calls `clicked` when the lamp is clicked with the left button; the lamp
// shows a pointing hand and `tip` as its tooltip.
void on_lamp_click(QFrame* lamp, const char* tip, std::function<void()> clicked);
