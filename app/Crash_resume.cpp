#include "app/Crash_resume.h"

#include <QCheckBox>
#include <QMessageBox>

#include <cstdio>
#include <string>

#include "app/Gui.h"
#include "app/Lumo2_app.h"
#include "app/Wlumo_selector.h"
#include "view/Resume_state.h"
#include "view/Wlumo_view.h"

namespace {

void tick_lamps(TFlumo_view* view, unsigned lamps)
{
    QCheckBox* boxes[] = {view->cb_lampe_A, view->cb_lampe_B, view->cb_lampe_C, view->cb_lampe_T};
    for (int lamp = 0; lamp < 4; ++lamp) boxes[lamp]->setChecked(lamps & (1u << lamp));
}

std::string notice_text(const Tresume_plan& plan, unsigned rows)
{
    std::string text = "The last run ended without closing its journal. Resumed: journal \"" + plan.journal +
                       "\" continued (" + std::to_string(rows) + " rows)";
    text += plan.state.constants.empty() ? ", no constants file" : ", constants \"" + plan.state.constants + "\" loaded";
    text += plan.state.measuring ? ", measuring again (STOP stops it)." : "; it was not measuring.";
    return text + " Resuming can be turned off in File > \"settings...\".";
}

void show_notice(TFlumo_view* view, const std::string& text)
{
    auto* notice = new QMessageBox(QMessageBox::Information, "Lumo 2", QString::fromLocal8Bit(text.c_str()),
                                   QMessageBox::Ok, view);
    notice->setObjectName("resume_notice");
    notice->setAttribute(Qt::WA_DeleteOnClose);
    notice->setModal(false);
    notice->show();
}

}  // namespace

void resume_after_crash(TFframe* main, TFlumo_view* view)
{
    Tlumo2_app* app = the_app();
    if (!app || app->view_master.journal.reported_open().empty()) return;
    const std::string newest = app->view_master.journal.reported_open().back();
    if (app->settings.getInt("resume", 1) != 1) {
        main->show_banner(("The last run ended without closing its journal \"" + newest +
                           "\". Resuming is off in File > \"settings...\"; \"Open journal...\" in Lumo View "
                           "continues it.").c_str());
        return;
    }
    Tresume_plan plan;
    std::string error;
    if (!find_resume_plan(app->view_master.journal.reported_open(), &plan, &error)) {
        log_printf("Not resumed: %s", error.c_str());
        main->show_banner(("The last run ended without closing its journal \"" + newest +
                           "\". Not resumed: " + error + ". \"Open journal...\" in Lumo View continues it.")
                              .c_str());
        return;
    }
    if (!view->continue_journal(plan.journal.c_str())) return;
    tick_lamps(view, plan.state.lamps);
    if (!plan.state.constants.empty()) view->load_calibration_file(plan.state.constants.c_str());
    const std::string text = notice_text(plan, app->view_master.table.data_rows());
    log_printf("%s", text.c_str());
    std::fprintf(stderr, "%s\n", text.c_str());
    main->show_banner(text.c_str());
    if (!plan.state.measuring) return;
    if (!instrument_connected()) dispatch_command(CMD_CONNECT);
    dispatch_command(CMD_MODE_VIEW);
    dispatch_command(CMD_START);
    show_notice(view, text);
}
