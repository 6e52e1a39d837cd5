#include "app/Form_helpers.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFrame>
#include <QHeaderView>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QFileDialog* file_dialog(QWidget* parent, const char* name, QFileDialog::AcceptMode mode, const QStringList& filters,
                         const char* suffix)
{
    auto* dialog = new QFileDialog(parent);
    dialog->setObjectName(name);
    if (mode == QFileDialog::AcceptOpen) dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(mode);
    if (!filters.isEmpty()) {
        dialog->setNameFilters(filters);
        dialog->setDefaultSuffix(suffix);
    }
    return dialog;
}

}  // namespace

void use_small_font(QWidget* window)
{
    QFont small = window->font();
    small.setPointSize(8);
    window->setFont(small);
}

QVBoxLayout* client_column(QMainWindow* window)
{
    auto* client = new QWidget(window);
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    window->setCentralWidget(client);
    return column;
}

QFrame* top_panel(QVBoxLayout* column, const char* name, int height)
{
    auto* panel = new QFrame(column->parentWidget());
    panel->setObjectName(name);
    panel->setFixedHeight(height);
    panel->setFrameShape(QFrame::StyledPanel);
    column->addWidget(panel);
    return panel;
}

QMenu* add_menu(QMenuBar* bar, const char* name, const char* caption)
{
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(name);
    return menu;
}

QAction* add_item(QMenu* menu, const char* name, const char* caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

QPlainTextEdit* text_pane(QWidget* parent, const char* name, int point_size, bool wrap)
{
    auto* pane = new QPlainTextEdit(parent);
    pane->setObjectName(name);
    pane->setReadOnly(true);
    if (point_size > 0) {
        QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        fixed.setPointSize(point_size);
        pane->setFont(fixed);
    }
    pane->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    return pane;
}

void set_up_text_grid(QTableView* grid, const char* name)
{
    grid->setObjectName(name);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

QFileDialog* open_dialog(QWidget* parent, const char* name, const QStringList& filters, const char* suffix)
{
    return file_dialog(parent, name, QFileDialog::AcceptOpen, filters, suffix);
}

QFileDialog* save_dialog(QWidget* parent, const char* name, const QStringList& filters, const char* suffix)
{
    return file_dialog(parent, name, QFileDialog::AcceptSave, filters, suffix);
}

QString chosen_path(const QFileDialog* dialog)
{
    const QStringList chosen = dialog->selectedFiles();
    return chosen.isEmpty() ? QString() : QDir::toNativeSeparators(chosen.first());
}
