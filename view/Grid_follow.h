#pragma once

class QTableView;

// Keeps the newest row of a grid whose rows are appended in view, as long
// as the user has not scrolled up from the bottom; scrolled up, the grid
// stays where the user put it until scrolled back down. Call once the grid
// has its model.
void follow_newest_row(QTableView* grid);
