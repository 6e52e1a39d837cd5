#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/Gui.h"
#include "calibration/Lumo2_cal_master.h"
#include "calibration/Stored_values.h"
#include "events/Lib_cpp.h"
#include "events/Lib_time.h"
#include "support/Fake_ui.h"
#include "support/Temp_dir.h"
#include "support/Test_platform.h"
#include "view/Vorn_lumo.h"

namespace {

using Tlines = std::vector<std::string>;

std::vector<Tstored_values_row> grid;
int grid_refills = 0;
void record_grid(const sample_table* table)
{
    grid = stored_values_rows(table);
    ++grid_refills;
}

// A measurement frame's payload: big-endian deltas A-T, temperature, lamp
// off A-T.
std::vector<unsigned char> payload_of(const float deltas[4], float temperature, float base)
{
    const float values[9] = {deltas[0], deltas[1], deltas[2], deltas[3], temperature, base, base, base, base};
    std::vector<unsigned char> bytes;
    for (float value : values) {
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<unsigned char>(bits >> shift));
    }
    return bytes;
}

struct Tstandard {
    int tracer;
    int concentration;
    float deltas[4];
};

// A consistent calibration: water on every lamp below every standard, each
// tracer strongest on its own lamp.
const Tstandard STANDARDS[] = {
    {1, 1, {10, 20, 30, 5}},         {1, 2, {12, 22, 33, 15}},     {1, 3, {20, 30, 40, 100}},
    {1, 4, {100, 110, 120, 1000}},   {2, 5, {60, 21, 31, 6}},      {2, 6, {510, 40, 35, 7}},
    {4, 5, {11, 70, 32, 6}},         {4, 6, {15, 620, 50, 6.5f}},  {5, 5, {11, 21, 80, 5.5f}},
    {5, 6, {12, 24, 730, 5.5f}},
};

class Cal_master : public ::testing::Test {
protected:
    void SetUp() override
    {
        bridge_state().current_mode = MODE_CALIBRATION;
        log_select(0);
        set_log_sink(log_append);
        set_stored_values_observer(record_grid);
        grid.clear();
        grid_refills = 0;
    }
    void TearDown() override
    {
        set_stored_values_observer(nullptr);
        set_log_sink(nullptr);
        log_select(0);
        bridge_state().current_mode = MODE_MAIN;
    }

    void receive(const float deltas[4], float base = 100)
    {
        const std::vector<unsigned char> payload = payload_of(deltas, 21.5f, base);
        master.on_instrument_data(1, payload.data(), static_cast<unsigned>(payload.size()));
    }
    void receive_text(const char* line)
    {
        master.on_instrument_data(0, reinterpret_cast<const unsigned char*>(line),
                                  static_cast<unsigned>(std::strlen(line)));
    }
    void store_standards(Tlumo2_cal_master* target)
    {
        for (const Tstandard& standard : STANDARDS) {
            const std::vector<unsigned char> payload = payload_of(standard.deltas, 21.5f, 100);
            target->on_instrument_data(1, payload.data(), static_cast<unsigned>(payload.size()));
            target->store_sample(static_cast<uint8_t>(standard.tracer),
                                 static_cast<uint8_t>(standard.concentration));
        }
    }
    void header(const char* serial, const char* configuration = "I,II,III", const char* model = "ZETA QX-2")
    {
        master.set_serial(serial);
        master.set_configuration(configuration);
        master.set_model(model);
    }
    std::string legacy_text(Tlumo2_cal_master* target)
    {
        Tmy_string text;
        target->calculate(&text);
        return text.c_str();
    }
    const Tlines& low_level() { return ui.lines(WIN_CAL, "Memo1"); }

    Tfake_ui ui;
    Tlumo2_cal_master master;
    Ttemp_dir folder;
};

}  // namespace

TEST_F(Cal_master, AcquisitionRequestsAtOnceThenEveryTenSeconds)
{
    master.start_acquisition();
    master.start_acquisition();
    EXPECT_EQ(low_level(), (Tlines{"OnAcq", "TX : O"}));
    EXPECT_EQ(master.countdown(), 10000);
    for (int tick = 0; tick < 99; ++tick)
        master.tick();
    EXPECT_EQ(low_level().size(), 2u);
    master.tick();
    EXPECT_EQ(low_level().size(), 4u);
    EXPECT_EQ(master.countdown(), 10000);

    master.stop_acquisition();
    EXPECT_EQ(low_level().back(), "OnStop");
    master.tick();
    EXPECT_EQ(low_level().size(), 5u);
    master.start_acquisition();
    EXPECT_EQ(low_level().size(), 7u);
    EXPECT_EQ(master.countdown(), 10000);
    master.window_closed();
    EXPECT_FALSE(master.is_acquiring());
    EXPECT_EQ(low_level().size(), 7u);
}

TEST_F(Cal_master, ReadingsOfBothKindsBecomeTheCurrentReading)
{
    ui.control(WIN_CAL, "bt_store").enabled = false;
    receive_text("O 1 0 2 0 1 0 3 0 1 0 4 0 1 0 5 0 100 0 200 0\r\n");
    EXPECT_EQ(low_level().front(), "RX : O 1 0 2 0 1 0 3 0 1 0 4 0 1 0 5 0 100 0 200 0");
    EXPECT_TRUE(ui.control(WIN_CAL, "bt_store").enabled);
    EXPECT_EQ(ui.control(WIN_CAL, "pl_new_data").color, RGB_GREEN);
    EXPECT_FLOAT_EQ(master.reading()->delta[LAMP_A], 9.765625f);
    EXPECT_FLOAT_EQ(master.reading()->delta[LAMP_T], 39.0625f);
    EXPECT_EQ(ui.text(WIN_CAL, "lb_lampB_delta"), "19.53");

    const float deltas[4] = {1.5f, 2.5f, 3.5f, 4.5f};
    receive(deltas);
    EXPECT_FLOAT_EQ(master.reading()->delta[LAMP_C], 3.5f);
    EXPECT_FLOAT_EQ(master.reading()->lamp[LAMP_C].on, 103.5f);
    EXPECT_TRUE(is_undefined(master.reading()->vbat));
    EXPECT_EQ(ui.text(WIN_CAL, "lb_vbat"), "---");
    bool dumped = false;
    for (const std::string& line : low_level())
        dumped = dumped || line.rfind("VIRO LUMO ", 0) == 0;
    EXPECT_TRUE(dumped);

    const size_t before = low_level().size();
    master.on_instrument_data(0, nullptr, 3);
    master.on_instrument_data(7, reinterpret_cast<const unsigned char*>("x"), 1);
    EXPECT_EQ(low_level().size(), before);
}

TEST_F(Cal_master, StoringFilesTheReadingByTheDisplayedConfiguration)
{
    ui.set_items(WIN_CAL, "cb_configuration", {{"I,II,III", 1}, {"I,II,V", 2}}, 1);
    ui.set_items(WIN_CAL, "cb_model", {{"ZETA QX-1", 1}, {"ZETA QX-2", 2}}, 0);
    ui.control(WIN_CAL, "ed_SNR").text = "42";
    master.read_serial_from_display();
    master.read_model_from_display();
    master.read_configuration_from_display();
    EXPECT_STREQ(master.serial(), "42");
    EXPECT_EQ(master.current_model(), 1);
    EXPECT_EQ(master.current_configuration(), 2);

    const float deltas[4] = {1, 2, 3, 4};
    receive(deltas);
    master.store_sample(1, 4);
    master.store_sample(6, 6);
    master.store_sample(5, 6);  // no lamp C of configuration "I,II,V"
    master.store_sample(2, 0);

    EXPECT_EQ(ui.window(WIN_CAL).page, "TabSheet2");
    EXPECT_FALSE(ui.control(WIN_CAL, "bt_store").enabled);
    EXPECT_EQ(grid_refills, 4);
    ASSERT_EQ(grid.size(), 3u);
    EXPECT_EQ(grid[0], (Tstored_values_row{"Traceur", "Concentration", "delta A", "delta B", "delta C", "delta T"}));
    EXPECT_EQ(grid[1], (Tstored_values_row{"Water", "100 NTU", "1.000", "2.000", "3.000", "4.000"}));
    EXPECT_EQ(grid[2], (Tstored_values_row{"Naphtionate", "100 ppb", "1.000", "2.000", "3.000", "4.000"}));
    EXPECT_EQ(master.samples()->cell[3][3].count(), 1);
    // The dropped Uranine sample still names lamp A's tracer.
    EXPECT_EQ(master.lamp_tracer_of(LAMP_A), 2);
    EXPECT_EQ(master.lamp_tracer_of(LAMP_C), 6);
}

TEST_F(Cal_master, LampTracersFollowTheConfiguration)
{
    const struct {
        const char* configuration;
        int tracer;
        int lamp;
        int expected;
    } cases[] = {
        {"I,II,III", 2, LAMP_A, 2}, {"I,II,III", 3, LAMP_A, 0}, {"I,II,III", 4, LAMP_B, 4},
        {"I,II,III", 5, LAMP_C, 5}, {"I,II,III", 6, LAMP_C, 0}, {"I,II,V", 6, LAMP_C, 6},
        {"I,II,V", 5, LAMP_C, 0},   {"", 2, LAMP_A, 0},
    };
    for (const auto& c : cases) {
        Tlumo2_cal_master fresh;
        fresh.set_configuration(c.configuration);
        Tlumo_sample sample;
        sample.tracer = static_cast<uint8_t>(c.tracer);
        fresh.note_lamp_tracer(&sample);
        EXPECT_EQ(fresh.lamp_tracer_of(c.lamp), c.expected) << c.configuration << " " << c.tracer;
    }
}

TEST_F(Cal_master, CalculateFillsBothPanesAnew)
{
    set_log_sink(log_append);
    master.calculate(nullptr);
    master.calculate(nullptr);
    const Tlines& validity = ui.lines(WIN_CAL, "Memo4");
    ASSERT_EQ(validity.size(), 30u);
    EXPECT_EQ(validity[27], "calibration.check_validity() => Error code = 8388607");
    EXPECT_EQ(validity[28], "");
    EXPECT_EQ(validity[29], "");
    const Tlines& text = ui.lines(WIN_CAL, "Memo3");
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].rfind("               Calibration constants  -  #0\r\n", 0), 0u);
    EXPECT_EQ(bridge_state().log_channel, 0);
}

TEST_F(Cal_master, ClearEmptiesSamplesLogAndTextButKeepsValidity)
{
    store_standards(&master);
    master.calculate(nullptr);
    master.clear_samples();
    EXPECT_TRUE(low_level().empty());
    EXPECT_TRUE(ui.lines(WIN_CAL, "Memo3").empty());
    EXPECT_FALSE(ui.lines(WIN_CAL, "Memo4").empty());
    EXPECT_EQ(grid.size(), 1u);
    Tlist all;
    EXPECT_EQ(sample_table_collect(master.samples(), &all), 0);
    EXPECT_EQ(bridge_state().log_channel, 0);
}

TEST_F(Cal_master, XmlRoundTripGivesTheSameSamplesGridAndText)
{
    header("1234");
    store_standards(&master);
    const std::vector<Tstored_values_row> stored_grid = grid;
    const std::string stored_text = legacy_text(&master);
    master.save_xml(folder.file("cal.xml").c_str());

    const std::string xml = folder.read("cal.xml");
    const int* date = master.date_fields();
    char root[200];
    std::snprintf(root, sizeof root,
                  "<?xml version='1.0' encoding='utf-8' ?>\n<CALIBRATION serial_number=\"1234\" "
                  "configuration=\"I,II,III\" model=\"ZETA QX-2\" year=\"%d\" month=\"%d\" day=\"%d\">\n",
                  date[0], date[1], date[2]);
    EXPECT_EQ(xml.rfind(root, 0), 0u);
    EXPECT_NE(xml.find("\n    <SAMPLE type=\"ZETA\" traceur=\"Water\" concentration=\"0 NTU\" LA_base_mV=\"100.00\" "
                       "LA_mV=\"10.00\" "),
              std::string::npos);
    EXPECT_EQ(xml.substr(xml.size() - 15), "</CALIBRATION>\n");

    Tlumo2_cal_master loaded;
    grid.clear();
    loaded.load_xml(folder.file("cal.xml").c_str());
    EXPECT_EQ(grid, stored_grid);
    EXPECT_STREQ(loaded.serial(), "1234");
    EXPECT_EQ(loaded.current_model(), 2);
    EXPECT_EQ(legacy_text(&loaded), stored_text);
    EXPECT_EQ(loaded.last_directory(), folder.path);
    EXPECT_EQ(ui.text(WIN_CAL, "ed_SNR"), "1234");

    Tmy_string name;
    loaded.default_file_name(&name, false);
    loaded.save_xml(name.c_str());
    EXPECT_EQ(folder.read(std::string("calibration_1234_") + std::to_string(date[0] * 10000 + date[1] * 100 + date[2]) +
                          ".xml"),
              xml);
}

TEST_F(Cal_master, SavedLegacyTextLoadsAsConstantsAndConvertsTheStandards)
{
    header("77");
    store_standards(&master);
    master.save_dat(folder.file("cal.dat").c_str());

    Tvorn_lumo constants;
    constants.clear();
    ASSERT_EQ(constants.getcalib(folder.file("cal.dat").c_str()), 0);
    EXPECT_STREQ(constants.serial.c_str(), "#77");
    EXPECT_DOUBLE_EQ(constants.water(LAMP_T), 5.0);

    // Lamp A alone with the net signal of the 10 ppb standard.
    conversion_record single;
    single.signal[0] = 60 - 10;
    single.has_signal[0] = 1;
    constants.convert(&single);
    EXPECT_NEAR(single.ppb[0], 10.0, 1e-6);

    // All three lamps with the net signals of tracer B's 100 ppb standard.
    conversion_record three;
    const double net[3] = {15 - 10, 620 - 20, 50 - 30};
    for (int lamp = 0; lamp < 3; ++lamp) {
        three.signal[lamp] = net[lamp];
        three.has_signal[lamp] = 1;
    }
    constants.convert(&three);
    EXPECT_NEAR(three.ppb[1], 100.0, 1e-6);
    EXPECT_NEAR(three.ppb[0], 0.0105, 1e-9);
    EXPECT_NEAR(three.ppb[2], 0.1, 1e-9);
}

TEST_F(Cal_master, SerialNumbersKeepTheirTextInXmlAndTheirNumberInTheLegacyText)
{
    header("12A");
    EXPECT_EQ(legacy_text(&master).find("#12\r\n"), 62u);

    header("say \"<&>\" \xC3\xA9");
    master.save_xml(folder.file("quoted.xml").c_str());
    EXPECT_NE(folder.read("quoted.xml").find("serial_number=\"say &quot;&lt;&amp;&gt;&quot; \xC3\xA9\""),
              std::string::npos);
    Tlumo2_cal_master loaded;
    loaded.load_xml(folder.file("quoted.xml").c_str());
    EXPECT_STREQ(loaded.serial(), "say \"<&>\" \xC3\xA9");
}

// Bytes from 128 up are written as they are and read back unchanged, also
// where they make no utf-8 character.
TEST_F(Cal_master, SerialBytesFrom128SurviveTheXmlRoundTrip)
{
    const std::pair<std::string, std::string> cases[] = {
        {"\x80", "\x80"}, {"12\x80", "12\x80"}, {"\x80\xFF<\x80", "\x80\xFF&lt;\x80"}};
    for (const auto& [serial, written] : cases) {
        SCOPED_TRACE(testing::PrintToString(serial));
        header(serial.c_str());
        master.save_xml(folder.file("high.xml").c_str());
        EXPECT_NE(folder.read("high.xml").find("serial_number=\"" + written + "\""), std::string::npos);
        Tlumo2_cal_master loaded;
        loaded.load_xml(folder.file("high.xml").c_str());
        EXPECT_EQ(std::string(loaded.serial()), serial);
    }
}

TEST_F(Cal_master, EmptySaveWritesOnlyTheFrame)
{
    header("5");
    master.save_xml(folder.file("empty.xml").c_str());
    const std::string xml = folder.read("empty.xml");
    EXPECT_EQ(std::count(xml.begin(), xml.end(), '\n'), 3);
    EXPECT_NE(xml.find(">\n</CALIBRATION>\n"), std::string::npos);
}

TEST_F(Cal_master, FailedSaveIsLoggedAndKeepsTheEarlierFile)
{
    header("9");
    store_standards(&master);
    folder.write("cal.dat", "earlier");
    const std::string blocked = folder.file("cal.dat") + "/x.dat";
    master.save_dat(blocked.c_str());
    master.save_xml(folder.file("missing/cal.xml").c_str());
    const Tlines& log = low_level();
    const std::string blocked_line = "ERROR : unable to write \"" + blocked + "\": ";
    EXPECT_NE(std::find_if(log.begin(), log.end(),
                           [&](const std::string& line) {
                               return line.rfind(blocked_line, 0) == 0 && line.size() > blocked_line.size();
                           }),
              log.end());
    const std::string missing_line =
        "ERROR : unable to write \"" + folder.file("missing/cal.xml") + "\": " + missing_folder_reason();
    EXPECT_NE(std::find(log.begin(), log.end(), missing_line), log.end());
    EXPECT_EQ(folder.read("cal.dat"), "earlier");

    master.save_dat(folder.file("cal.dat").c_str());
    EXPECT_EQ(folder.read("cal.dat"), legacy_text(&master));
}

TEST_F(Cal_master, DefaultFileNameUsesDirectorySerialAndDate)
{
    ui.control(WIN_CAL, "ed_SNR").text = "7";
    master.read_serial_from_display();
    Tmy_string name;
    master.default_file_name(&name, true);
    const int* today = master.date_fields();
    char expected[64];
    std::snprintf(expected, sizeof expected, "/calibration_7_%04d%02d%02d.dat", today[0], today[1], today[2]);
    EXPECT_STREQ(name.c_str(), expected);

    folder.write("dated.xml", "<CALIBRATION serial_number=\"7\" year=\"2024\" month=\"3\" day=\"5\" />");
    master.load_xml((folder.path + "//dated.xml").c_str());
    master.default_file_name(&name, true);
    EXPECT_EQ(std::string(name.c_str()), folder.path + "/calibration_7_20240305.dat");
    master.default_file_name(&name, false);
    EXPECT_EQ(std::string(name.c_str()), folder.path + "/calibration_7_20240305.xml");
}

TEST_F(Cal_master, LoadingReadsWhatTheFileHolds)
{
    folder.write("naph.xml",
                 "<?xml version='1.0' encoding='utf-8' ?>\n"
                 "<CALIBRATION serial_number=\"3\" configuration=\"I,II,V\" model=\"zeta qx-1\" year=\"0\" month=\"4\" "
                 "day=\"9\">\n"
                 "    <SAMPLE traceur=\"Naphtionate\" concentration=\"100 ppb\" LA_base_mV=\"12.50\" LB_mV=\"3.25\" "
                 "temperature=\"18.50\" />\n"
                 "    <sample traceur=\"Water\" concentration=\"0 NTU\" />\n"
                 "    <!-- a comment -->\n"
                 "    <SAMPLE traceur=\"Water\" concentration=\"bogus\" />\n"
                 "</CALIBRATION>\n");
    std::string changed = folder.read("naph.xml");
    changed.replace(changed.find("I,II,V"), 6, "I,II,III");
    folder.write("amino.xml", changed);

    int today[6];
    date_time_fields(today, unix_time_now(), false);
    master.load_xml(folder.file("naph.xml").c_str());
    EXPECT_EQ(master.current_configuration(), 2);
    EXPECT_EQ(master.current_model(), 1);
    EXPECT_EQ(master.date_fields()[0], today[0]);
    EXPECT_EQ(master.date_fields()[1], today[1]);
    ASSERT_EQ(master.samples()->cell[3][3].count(), 1);
    const Tlumo_sample* sample = master.samples()->cell[3][3].at(0);
    EXPECT_FLOAT_EQ(sample->lamp[LAMP_A].off, 12.5f);
    EXPECT_FLOAT_EQ(sample->delta[LAMP_A], 0.0f);
    EXPECT_FLOAT_EQ(sample->lamp[LAMP_A].on, 12.5f);
    EXPECT_FLOAT_EQ(sample->delta[LAMP_B], 3.25f);
    EXPECT_FLOAT_EQ(sample->vbat, 0.0f);
    EXPECT_FLOAT_EQ(sample->temperature, 18.5f);
    EXPECT_EQ(master.lamp_tracer_of(LAMP_C), 6);
    EXPECT_EQ(grid.size(), 2u);

    master.load_xml(folder.file("amino.xml").c_str());
    Tlist all;
    EXPECT_EQ(sample_table_collect(master.samples(), &all), 0);
    EXPECT_EQ(master.current_configuration(), 1);
}

TEST_F(Cal_master, UnreadableFileChangesNothingButTheDirectory)
{
    header("55");
    store_standards(&master);
    folder.write("broken.xml", "<CALIBRATION serial_number=\"1\"><SAMPLE </CALIBRATION>");
    const int refills = grid_refills;
    const std::string path = folder.file("broken.xml");
    master.load_xml(path.c_str());
    master.load_xml(folder.file("absent.xml").c_str());

    EXPECT_EQ(low_level()[low_level().size() - 2], "ERROR : unable to read \"" + path + "\" file correctly");
    EXPECT_STREQ(master.serial(), "55");
    EXPECT_EQ(grid_refills, refills);
    Tlist all;
    EXPECT_EQ(sample_table_collect(master.samples(), &all), 10);
    EXPECT_EQ(master.last_directory(), folder.path);
}
