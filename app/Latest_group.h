#pragma once
#include <QGroupBox>
#include <array>

class QGridLayout;
class QLabel;

// The "Latest" group of the live view and the calibration windows: the
// newest on, off and delta values of the four lamps, the battery voltage and
// the temperature, under their captions. The window places it.
class TLatest_group : public QGroupBox {
    Q_OBJECT
public:
    explicit TLatest_group(QWidget* parent);

    // Keeps every value column at least this wide.
    void set_value_width(int pixels);
    // Narrow margins and rows, the value columns sharing the width evenly.
    void pack_tightly();

    QLabel* lb_lampA_on;
    QLabel* lb_lampA_off;
    QLabel* lb_lampA_delta;
    QLabel* lb_lampB_on;
    QLabel* lb_lampB_off;
    QLabel* lb_lampB_delta;
    QLabel* lb_lampC_on;
    QLabel* lb_lampC_off;
    QLabel* lb_lampC_delta;
    QLabel* lb_lampT_on;
    QLabel* lb_lampT_off;
    QLabel* lb_lampT_delta;
    QLabel* lb_vbat;
    QLabel* lb_temp;

private:
    std::array<QLabel*, 14> values() const;

    QGridLayout* grid;
};
