#include "app/Qt_ui_port.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>

namespace {

QString from_bytes(const char* text) { return QString::fromUtf8(text ? text : ""); }

QColor color_of(unsigned rgb)
{
    if (rgb == COLOR_BUTTON_FACE) return QApplication::palette().color(QPalette::Button);
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

}  // namespace

Tqt_ui_port::Tqt_ui_port(QWidget* main, QWidget* cal, QWidget* view, QWidget* settings)
{
    windows[WIN_MAIN] = main;
    windows[WIN_CAL] = cal;
    windows[WIN_VIEW] = view;
    windows[WIN_SETTINGS] = settings;
}

QWidget* Tqt_ui_port::window_widget(Twindow window) const
{
    return (window >= WIN_MAIN && window <= WIN_SETTINGS) ? windows[window].data() : nullptr;
}

QObject* Tqt_ui_port::find(Twindow window, const char* control) const
{
    QWidget* widget = window_widget(window);
    if (!widget || !control) return nullptr;
    return widget->findChild<QObject*>(QString::fromLatin1(control));
}

void Tqt_ui_port::show_window(Twindow window, bool visible)
{
    if (QWidget* widget = window_widget(window)) widget->setVisible(visible);
}

void Tqt_ui_port::show_modal(Twindow window)
{
    if (auto* dialog = qobject_cast<QDialog*>(window_widget(window))) dialog->exec();
}

void Tqt_ui_port::show_page(Twindow window, const char* page)
{
    QWidget* widget = find_as<QWidget>(window, page);
    if (!widget) return;
    for (QWidget* parent = widget->parentWidget(); parent; parent = parent->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(parent)) {
            tabs->setCurrentWidget(widget);
            return;
        }
    }
}

// Leaves every event loop at once. quit() would first close each window,
// and a window may ask before it closes (the view while it measures): an
// exit or a SIGTERM must not wait for an answer, nor be refused.
void Tqt_ui_port::quit() { QCoreApplication::exit(0); }

void Tqt_ui_port::set_text(Twindow window, const char* control, const char* text)
{
    QObject* object = find(window, control);
    const QString value = from_bytes(text);
    if (auto* label = qobject_cast<QLabel*>(object)) label->setText(value);
    else if (auto* edit = qobject_cast<QLineEdit*>(object)) edit->setText(value);
    else if (auto* button = qobject_cast<QAbstractButton*>(object)) button->setText(value);
    else if (auto* combo = qobject_cast<QComboBox*>(object)) combo->setCurrentText(value);
    else if (auto* group = qobject_cast<QGroupBox*>(object)) group->setTitle(value);
    else if (auto* pane = qobject_cast<QPlainTextEdit*>(object)) pane->setPlainText(value);
    else if (auto* action = qobject_cast<QAction*>(object)) action->setText(value);
}

const char* Tqt_ui_port::get_text(Twindow window, const char* control)
{
    QObject* object = find(window, control);
    QString value;
    if (auto* label = qobject_cast<QLabel*>(object)) value = label->text();
    else if (auto* edit = qobject_cast<QLineEdit*>(object)) value = edit->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(object)) value = button->text();
    else if (auto* combo = qobject_cast<QComboBox*>(object)) value = combo->currentText();
    else if (auto* group = qobject_cast<QGroupBox*>(object)) value = group->title();
    else if (auto* pane = qobject_cast<QPlainTextEdit*>(object)) value = pane->toPlainText();
    else if (auto* action = qobject_cast<QAction*>(object)) value = action->text();
    last_text = value.toUtf8();
    return last_text.constData();
}

void Tqt_ui_port::set_color(Twindow window, const char* control, unsigned rgb)
{
    QWidget* widget = find_as<QWidget>(window, control);
    if (!widget) return;
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color_of(rgb));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void Tqt_ui_port::set_enabled(Twindow window, const char* control, bool enabled)
{
    QObject* object = find(window, control);
    if (auto* widget = qobject_cast<QWidget*>(object)) widget->setEnabled(enabled);
    else if (auto* action = qobject_cast<QAction*>(object)) action->setEnabled(enabled);
}

void Tqt_ui_port::set_checked(Twindow window, const char* control, bool checked)
{
    QObject* object = find(window, control);
    if (auto* button = qobject_cast<QAbstractButton*>(object)) button->setChecked(checked);
    else if (auto* action = qobject_cast<QAction*>(object)) action->setChecked(checked);
}

bool Tqt_ui_port::is_checked(Twindow window, const char* control)
{
    QObject* object = find(window, control);
    if (auto* button = qobject_cast<QAbstractButton*>(object)) return button->isChecked();
    if (auto* action = qobject_cast<QAction*>(object)) return action->isChecked();
    return false;
}

void Tqt_ui_port::list_clear(Twindow window, const char* control)
{
    if (auto* combo = find_as<QComboBox>(window, control)) combo->clear();
}

void Tqt_ui_port::list_add(Twindow window, const char* control, const char* text, int value)
{
    auto* combo = find_as<QComboBox>(window, control);
    if (!combo) return;
    // Adding to an empty list must not select the new item by itself.
    const int selected = combo->currentIndex();
    combo->addItem(from_bytes(text), value);
    combo->setCurrentIndex(selected);
}

int Tqt_ui_port::list_count(Twindow window, const char* control)
{
    auto* combo = find_as<QComboBox>(window, control);
    return combo ? combo->count() : 0;
}

int Tqt_ui_port::list_value(Twindow window, const char* control, int index)
{
    auto* combo = find_as<QComboBox>(window, control);
    if (!combo || index < 0 || index >= combo->count()) return 0;
    return combo->itemData(index).toInt();
}

int Tqt_ui_port::list_selected(Twindow window, const char* control)
{
    auto* combo = find_as<QComboBox>(window, control);
    return combo ? combo->currentIndex() : -1;
}

void Tqt_ui_port::list_select(Twindow window, const char* control, int index)
{
    auto* combo = find_as<QComboBox>(window, control);
    if (!combo) return;
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

void Tqt_ui_port::append_line(Twindow window, const char* control, const char* line)
{
    auto* pane = find_as<QPlainTextEdit>(window, control);
    if (!pane) return;
    if (pane->maximumBlockCount() != MAX_PANE_LINES) pane->setMaximumBlockCount(MAX_PANE_LINES);
    pane->appendPlainText(from_bytes(line));
}

void Tqt_ui_port::clear_lines(Twindow window, const char* control)
{
    if (auto* pane = find_as<QPlainTextEdit>(window, control)) pane->clear();
}
