#include "view/Grid_follow.h"

#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <memory>

namespace {

struct Tfollow_state {
    bool at_bottom = true;
    bool scroll_pending = false;
};

}  // namespace

void follow_newest_row(QTableView* grid)
{
    auto state = std::make_shared<Tfollow_state>();
    // Rows come one at a time or by the thousand: one scroll after the burst.
    auto scroll = [grid, state] {
        if (state->scroll_pending || !state->at_bottom) return;
        state->scroll_pending = true;
        QTimer::singleShot(0, grid, [grid, state] {
            state->scroll_pending = false;
            grid->scrollToBottom();
        });
    };
    QAbstractItemModel* model = grid->model();
    QObject::connect(model, &QAbstractItemModel::rowsAboutToBeInserted, grid, [grid, state] {
        const QScrollBar* bar = grid->verticalScrollBar();
        if (!state->scroll_pending) state->at_bottom = bar->value() >= bar->maximum();
    });
    QObject::connect(model, &QAbstractItemModel::rowsInserted, grid, scroll);
    QObject::connect(model, &QAbstractItemModel::modelReset, grid, [state, scroll] {
        state->at_bottom = true;
        scroll();
    });
}
