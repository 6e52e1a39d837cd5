#pragma once

class TFframe;
class TFlumo_view;

// After a run that died with its journal open: continues that journal,
// loads the constants again, ticks the lamps and, when it was measuring,
// opens the view and measures again, saying so in a banner of the main
// window (and, while measuring, a notice over the view that does not
// block). Nothing happens when no journal was left open. When resuming
// is off in the settings, or the state file is missing or cannot be
// trusted (one log line), nothing is resumed and the banner says so.
void resume_after_crash(TFframe* main, TFlumo_view* view);
