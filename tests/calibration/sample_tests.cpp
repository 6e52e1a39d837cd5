#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/Gui.h"
#include "calibration/Sample_table.h"
#include "events/Log_capture.h"
#include "events/My_string.h"
#include "support/Fake_ui.h"

namespace {

const char* const LATEST_LABELS[] = {"lb_lampA_off", "lb_lampA_on", "lb_lampA_delta", "lb_lampB_off",
                                     "lb_lampB_on",  "lb_lampB_delta", "lb_lampC_off", "lb_lampC_on",
                                     "lb_lampC_delta", "lb_lampT_off", "lb_lampT_on", "lb_lampT_delta",
                                     "lb_vbat",      "lb_temp"};

Tlumo_sample* make_sample(int tracer, int concentration, float delta_a = 0) {
    auto* sample = new Tlumo_sample;
    sample->tracer = (uint8_t)tracer;
    sample->concentration = (uint8_t)concentration;
    sample->set_lamp('A', 1, delta_a);
    return sample;
}

class Sample_show : public ::testing::Test {
protected:
    void SetUp() override { bridge_state().current_mode = MODE_VIEW; }
    void TearDown() override { bridge_state().current_mode = MODE_MAIN; }
    Tfake_ui ui;
    Log_capture log;
};

}  // namespace

TEST_F(Sample_show, FreshSampleShowsDashesEverywhere) {
    Tlumo_sample sample;
    sample.show(2);
    for (const char* label : LATEST_LABELS)
        EXPECT_EQ(ui.text(WIN_VIEW, label), "---") << label;
    EXPECT_TRUE(Log_capture::lines().empty());
}

TEST_F(Sample_show, LogLinesAndLabels) {
    Tlumo_sample sample;
    sample.set_lamp('a', 12.5f, 3.25f);
    sample.set_lamp('T', 1.0f, -0.5f);
    sample.temperature = 9.876f;
    sample.show(3);
    EXPECT_EQ(Log_capture::lines(),
              (std::vector<std::string>{"message:show() 12.50 15.75 --- --- --- --- 1.00 0.50 --- 9.88",
                                        "lamp A delta = 3.25 mV", "lamp T delta = -0.50 mV",
                                        "Temperature = 9.88 degC"}));
    EXPECT_EQ(ui.text(WIN_VIEW, "lb_lampA_on"), "15.75");
    EXPECT_EQ(ui.text(WIN_VIEW, "lb_lampA_delta"), "3.25");
    EXPECT_EQ(ui.text(WIN_VIEW, "lb_lampB_delta"), "---");
    EXPECT_EQ(ui.text(WIN_VIEW, "lb_vbat"), "---");
}

TEST_F(Sample_show, LogOnlyTouchesNoLabel) {
    Tlumo_sample sample;
    sample.vbat = 12.345f;
    sample.show(1);
    EXPECT_FALSE(ui.has_control(WIN_VIEW, "lb_vbat"));
    EXPECT_EQ(Log_capture::lines().back(), "Battery Voltage = 12.35 V");
}

TEST(Lumo_sample, XmlElementCarriesBaseAndDelta) {
    Tlumo_sample sample;
    sample.tracer = 2;
    sample.concentration = 5;
    sample.set_lamp('A', 12.5f, 3.25f);
    sample.set_lamp('b', 0, 1);
    sample.set_lamp('C', 2, 2);
    sample.set_lamp('t', 3, 0.125f);
    sample.temperature = 20;
    sample.vbat = 7.5f;
    Tmy_string out;
    out.assign("old");
    sample.to_xml(&out);
    EXPECT_STREQ(out.c_str(),
                 "<SAMPLE type=\"ZETA\" traceur=\"Uranine\" concentration=\"10 ppb\" LA_base_mV=\"12.50\" "
                 "LA_mV=\"3.25\" LB_base_mV=\"0.00\" LB_mV=\"1.00\" LC_base_mV=\"2.00\" LC_mV=\"2.00\" "
                 "LT_base_mV=\"3.00\" LT_mV=\"0.12\" temperature=\"20.00\" Vbat=\"7.50\" />");
    EXPECT_EQ(sample.lamp[LAMP_A].on, 15.75f);
}

TEST(Lumo_sample, XmlOfUndefinedValuesAndCodes) {
    Tlumo_sample sample;
    sample.tracer = 9;
    Tmy_string out;
    sample.to_xml(&out);
    const std::string xml = out.c_str();
    EXPECT_NE(xml.find("traceur=\"XXXXXX_traceur_undefined\" concentration=\"XXXXXX_concentration_undefined\""),
              std::string::npos);
    EXPECT_NE(xml.find("Vbat=\"340282346638528859811704183484516925440.00\" />"), std::string::npos);
    sample.to_xml(nullptr);
}

TEST(Lumo_sample, DeltasCopyAndSetLamp) {
    Tlumo_sample sample;
    sample.lamp[LAMP_B] = {1.5f, 4.0f};
    sample.lamp[LAMP_C].on = 3;
    sample.compute_deltas();
    EXPECT_EQ(sample.delta[LAMP_B], 2.5f);
    EXPECT_EQ(sample.delta[LAMP_C], 3.4028235e38f);
    sample.set_lamp('x', 1, 1);
    EXPECT_EQ(sample.lamp[LAMP_A].off, 3.4028235e38f);

    Tlumo_sample copy;
    copy.tracer = 4;
    copy.copy_values_from(&sample);
    copy.copy_values_from(nullptr);
    EXPECT_EQ(copy.tracer, 4);
    EXPECT_EQ(copy.lamp[LAMP_B].on, 4.0f);
    EXPECT_EQ(copy.delta[LAMP_B], 2.5f);
    copy.reset();
    EXPECT_EQ(copy.tracer, 4);
    EXPECT_EQ(copy.delta[LAMP_B], 3.4028235e38f);
}

TEST(Sample_table, FilingRulesOfBothConfigurations) {
    struct Tcase {
        int tracer, concentration, row1, row2, column;
    } cases[] = {
        {1, 4, 0, 0, 3},   // water at 100 NTU
        {1, 5, 0, 0, 2},   // water at "10 ppb": the concentration alone decides
        {2, 5, 1, 1, 2},   // uranine
        {3, 5, 1, 1, 2},   // eosine, same list
        {4, 1, 2, 2, 0},   // sulforhodamine B at 0 NTU
        {5, 6, 3, -1, 3},  // amino G acid: optic III only
        {6, 2, -1, 3, 1},  // naphtionate: optic V only
        {0, 5, -1, -1, 2},
        {7, 5, -1, -1, 2},
        {2, 0, 1, 1, -1},
        {2, 7, 1, 1, -1},
    };
    for (const Tcase& c : cases) {
        SCOPED_TRACE(testing::Message() << "tracer " << c.tracer << " concentration " << c.concentration);
        EXPECT_EQ(sample_table_row(c.tracer, 1), c.row1);
        EXPECT_EQ(sample_table_row(c.tracer, 2), c.row2);
        EXPECT_EQ(sample_table_row(c.tracer, 3), -1);
        EXPECT_EQ(sample_table_column(c.concentration), c.column);
        for (int configuration : {1, 2}) {
            sample_table table;
            Tlumo_sample* sample = make_sample(c.tracer, c.concentration);
            const int row = configuration == 1 ? c.row1 : c.row2;
            const bool filed = row >= 0 && c.column >= 0;
            EXPECT_EQ(sample_table_add(&table, sample, configuration), filed);
            if (filed) {
                EXPECT_EQ(table.cell[row][c.column].at(0), sample);
            } else {
                delete sample;
            }
        }
    }
}

TEST(Sample_table, CollectDumpAndXmlInTableOrder) {
    sample_table* table = sample_table_create();
    Tlumo_sample* first_uranine = make_sample(2, 5, 1.0f);
    Tlumo_sample* second_uranine = make_sample(2, 5, 2.0f);
    Tlumo_sample* water = make_sample(1, 4, 3.0f);
    ASSERT_TRUE(sample_table_add(table, first_uranine, 1));
    ASSERT_TRUE(sample_table_add(table, second_uranine, 1));
    ASSERT_TRUE(sample_table_add(table, water, 1));

    Ttyped_list<Tlumo_sample> collected;
    collected.append(make_sample(1, 1));  // not the table's: emptied without deleting
    Tlumo_sample* stale = collected.at(0);
    EXPECT_EQ(sample_table_collect(table, &collected), 3);
    delete stale;
    EXPECT_EQ(collected.at(0), water);
    EXPECT_EQ(collected.at(1), first_uranine);
    EXPECT_EQ(collected.at(2), second_uranine);

    Log_capture log;
    sample_table_dump(table);
    ASSERT_EQ(Log_capture::lines().size(), 3u);
    EXPECT_EQ(Log_capture::lines()[0], "[T] 100   3.000 340282346638528859811704183484516925440.000 "
                                       "340282346638528859811704183484516925440.000 "
                                       "340282346638528859811704183484516925440.000 ");
    EXPECT_EQ(Log_capture::lines()[1].substr(0, 16), "[A]  10   1.000 ");

    Tmy_string xml;
    xml.assign("<CALIBRATION>\n");
    sample_table_write_xml(table, &xml);
    const std::string text = xml.c_str();
    EXPECT_EQ(text.rfind("<CALIBRATION>\n    <SAMPLE type=\"ZETA\" traceur=\"Water\"", 0), 0u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
    EXPECT_EQ(text.substr(text.size() - 4), " />\n");

    Log_capture::lines().clear();
    sample_table_write_xml(table, nullptr);
    ASSERT_EQ(Log_capture::lines().size(), 3u);
    EXPECT_EQ(Log_capture::lines()[2].rfind("    <SAMPLE type=\"ZETA\" traceur=\"Uranine\"", 0), 0u);

    sample_table_clear(table);
    EXPECT_EQ(sample_table_collect(table, &collected), 0);
    EXPECT_EQ(collected.count(), 0);
    delete table;
}
