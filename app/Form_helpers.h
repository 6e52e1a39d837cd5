#pragma once
#include <QRect>
#include <QStringList>

class QAction;
class QFileDialog;
class QFrame;
class QMainWindow;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QTableView;
class QVBoxLayout;
class QWidget;

// Construction steps the windows share. Every control gets its object name
// here or from the caller: the bridge finds controls by those names.

// Names a control and sets its place in its parent.
template <typename Widget>
Widget* placed(Widget* widget, const char* name, const QRect& geometry)
{
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

// The window's font at 8 points, inherited by all its controls.
void use_small_font(QWidget* window);

// The window's client area: a column without margins or spacing.
QVBoxLayout* client_column(QMainWindow* window);

// A styled panel of a fixed height at the top of the column.
QFrame* top_panel(QVBoxLayout* column, const char* name, int height);

QMenu* add_menu(QMenuBar* bar, const char* name, const char* caption);
QAction* add_item(QMenu* menu, const char* name, const char* caption);

// A read-only text pane; a point size above 0 gives it the fixed-pitch font
// of that size.
QPlainTextEdit* text_pane(QWidget* parent, const char* name, int point_size, bool wrap);

// A grid that only shows text: no headers, no editing, rows 20 pixels high.
void set_up_text_grid(QTableView* grid, const char* name);

// File dialogs; the suffix goes with the filters and is added to a name
// typed without one. The open dialog chooses an existing file.
QFileDialog* open_dialog(QWidget* parent, const char* name, const QStringList& filters = {}, const char* suffix = "");
QFileDialog* save_dialog(QWidget* parent, const char* name, const QStringList& filters, const char* suffix);
// The file or folder chosen in a dialog as the system writes paths (Qt's
// dialogs give forward slashes, also on Windows); empty when none was.
QString chosen_path(const QFileDialog* dialog);
