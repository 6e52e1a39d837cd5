#include "calibration/Lumo2_cal_master.h"

#include <tinyxml.h>

#include "app/Gui.h"
#include "calibration/Calibration_calc.h"
#include "calibration/Stored_values.h"
#include "events/Lib_cpp.h"
#include "events/Lib_cpp_os.h"
#include "events/Lib_time.h"
#include "events/Lib_xml.h"
#include "link/Lumo_data.h"
#include "view/Codes.h"

namespace {

enum Tdata_kind { DATA_TEXT_LINE = 0, DATA_FRAME_PAYLOAD = 1 };

// Log channels of the calibration window.
constexpr int LOG_LOW_LEVEL = 0;
constexpr int LOG_MUTED = 1;
constexpr int LOG_CALIBRATION_TEXT = 2;
constexpr int LOG_VALIDITY = 3;

constexpr int SHOW_LOG_AND_DISPLAY = 3;
constexpr unsigned HEX_DUMP_PER_LINE = 16;
constexpr unsigned char REQUEST_MEASUREMENT = 'O';
constexpr int DIRECTORY_MAX = 256;

// "12 s", "5 min", "3 h": whole units, seconds up to two minutes.
std::string age_text(int ms)
{
    const int seconds = ms / 1000;
    if (seconds < 2 * 60)
        return std::to_string(seconds) + " s";
    if (seconds < 2 * 3600)
        return std::to_string(seconds / 60) + " min";
    return std::to_string(seconds / 3600) + " h";
}


}  // namespace

Tlumo2_cal_master::Tlumo2_cal_master()
{
    setParam("name", "cal_master");
    setParam("verbose", "1");
    set_today();
}

void Tlumo2_cal_master::start_acquisition()
{
    if (acquiring)
        return;
    acquiring = true;
    countdown_ms = REQUEST_PERIOD_MS;
    request_measurement();
}

void Tlumo2_cal_master::request_measurement()
{
    log_printf("OnAcq");
    const unsigned char request = REQUEST_MEASUREMENT;
    send_to_instrument(&request, 1);
    log_printf("TX : %s", "O");
}

void Tlumo2_cal_master::tick()
{
    show_reading_age();
    if (!acquiring)
        return;
    if (countdown_ms > 0)
        countdown_ms -= TICK_MS;
    if (countdown_ms < 0)
        countdown_ms = 0;
    if (countdown_ms == 0) {
        countdown_ms = REQUEST_PERIOD_MS;
        request_measurement();
    }
}

void Tlumo2_cal_master::stop_acquisition()
{
    log_printf("OnStop");
    acquiring = false;
}

void Tlumo2_cal_master::window_closed()
{
    acquiring = false;
}

void Tlumo2_cal_master::on_instrument_data(int kind, const unsigned char* bytes, unsigned length)
{
    if (bytes == nullptr)
        return;
    if (kind == DATA_FRAME_PAYLOAD) {
        hex_dump("VIRO LUMO ", bytes, length, HEX_DUMP_PER_LINE);
    } else if (kind == DATA_TEXT_LINE) {
        Tmy_string line;
        for (unsigned index = 0; index < length; ++index)
            if (bytes[index] != '\r' && bytes[index] != '\n')
                line.append(reinterpret_cast<const char*>(bytes + index), 1);
        log_printf("RX : %s", line.c_str());
    } else {
        return;
    }
    take_reading(kind, bytes, length);
}

// The reading becomes the current one, whether acquisition runs or not.
void Tlumo2_cal_master::take_reading(int kind, const unsigned char* bytes, unsigned length)
{
    display_set(DSP_NEW_DATA, "2");
    display_set(DSP_STORE_BUTTON, "enabled");
    has_reading = true;
    reading_time = clock();
    show_reading_age();
    current_reading.reset();
    if (kind == DATA_FRAME_PAYLOAD) {
        parse_frame_payload(&current_reading, bytes, length);
    } else {
        Tmy_string text;
        text.append(reinterpret_cast<const char*>(bytes), length);
        parse_text_line(&current_reading, text.c_str());
    }
    log_select(LOG_LOW_LEVEL);
    current_reading.show(SHOW_LOG_AND_DISPLAY);
}

int Tlumo2_cal_master::reading_age_ms() const
{
    return int(std::chrono::duration_cast<std::chrono::milliseconds>(clock() - reading_time).count());
}

std::string Tlumo2_cal_master::reading_age_text() const
{
    return has_reading ? "reading " + age_text(reading_age_ms()) + " old" : "no reading";
}

// Only when the text changes: the tick comes every 100 ms.
void Tlumo2_cal_master::show_reading_age()
{
    std::string text = reading_age_text();
    if (text == age_shown)
        return;
    age_shown = std::move(text);
    display_set(DSP_READING_AGE, age_shown.c_str());
}

std::string Tlumo2_cal_master::store_refusal() const
{
    if (!has_reading)
        return "There is no reading to store yet: start the measurements and store the next reading.";
    if (reading_age_ms() <= STALE_AFTER_MS)
        return {};
    return "The latest reading is " + age_text(reading_age_ms()) + " old: a reading older than " +
           std::to_string(STALE_AFTER_MS / 1000) +
           " s is not stored, as the cell may hold another liquid by now. Store the next reading (Measures, Start).";
}

int Tlumo2_cal_master::stored_count(uint8_t tracer, uint8_t concentration) const
{
    return sample_table_count_standard(&sample_table, tracer, concentration);
}

bool Tlumo2_cal_master::remove_sample(int index)
{
    if (!sample_table_remove(&sample_table, index))
        return false;
    refresh_stored_values();
    return true;
}

bool Tlumo2_cal_master::store_sample(uint8_t tracer, uint8_t concentration, Tstore how)
{
    const std::string refusal = store_refusal();
    if (!refusal.empty()) {
        log_printf("ERROR : %s", refusal.c_str());
        return false;
    }
    if (how == Tstore::replace)
        sample_table_remove_standard(&sample_table, tracer, concentration);
    Tlumo_sample* sample = new Tlumo_sample;
    sample->copy_values_from(&current_reading);
    sample->tracer = tracer;
    sample->concentration = concentration;
    const bool stored = sample_table_add(&sample_table, sample, configuration);
    note_lamp_tracer(sample);
    if (!stored)
        delete sample;
    refresh_stored_values();
    display_set(DSP_STORE_BUTTON, "disabled");
    return true;
}

void Tlumo2_cal_master::note_lamp_tracer(const Tlumo_sample* sample)
{
    if (sample == nullptr)
        return;
    const uint8_t lamp_c_tracer = configuration == CONFIG_I_II_III ? TRACER_AMINO_G_ACID
                                  : configuration == CONFIG_I_II_V   ? TRACER_NAPHTIONATE
                                                                     : 0;
    if (lamp_c_tracer == 0)
        return;
    if (sample->tracer == TRACER_URANINE)
        lamp_tracer[LAMP_A] = TRACER_URANINE;
    else if (sample->tracer == TRACER_SULFORHODAMINE_B)
        lamp_tracer[LAMP_B] = TRACER_SULFORHODAMINE_B;
    else if (sample->tracer == lamp_c_tracer)
        lamp_tracer[LAMP_C] = lamp_c_tracer;
}

void Tlumo2_cal_master::refresh_stored_values()
{
    display_set(DSP_PANEL, "PANEL_STORED_VALUES");
    fill_stored_values_grid(&sample_table);
}

void Tlumo2_cal_master::clear_samples()
{
    sample_table_clear(&sample_table);
    log_select(LOG_LOW_LEVEL);
    log_clear();
    log_select(LOG_MUTED);
    log_clear();
    sample_table_dump(&sample_table);
    fill_stored_values_grid(&sample_table);
    log_select(LOG_CALIBRATION_TEXT);
    log_clear();
    log_select(LOG_LOW_LEVEL);
}

void Tlumo2_cal_master::calculate(Tmy_string* output)
{
    Tlumo_calibration_calc calibration;
    calibration.set_header(model, serial_text.toInt(), date[0], date[1], date[2]);
    calibration.compute(&sample_table);
    calibration.set_lamp_tracer('A', lamp_tracer[LAMP_A]);
    calibration.set_lamp_tracer('B', lamp_tracer[LAMP_B]);
    calibration.set_lamp_tracer('C', lamp_tracer[LAMP_C]);

    log_select(LOG_VALIDITY);
    log_clear();
    const int32_t code = calibration.check_validity();
    log_printf("calibration.check_validity() => Error code = %d", code);
    log_append("");
    log_append("");

    Tmy_string text;
    calibration.write_legacy_text(&text);
    log_select(LOG_CALIBRATION_TEXT);
    log_clear();
    log_printf("%s", text.c_str());
    log_select(LOG_LOW_LEVEL);

    if (output != nullptr)
        output->assign(&text);
}

bool Tlumo2_cal_master::write_file(const char* path, const Tmy_string* text)
{
    std::string reason;
    if (write_file_replacing(path, text->c_str(), text->length(), &reason))
        return true;
    log_printf("ERROR : unable to write \"%s\": %s", path != nullptr ? path : "", reason.c_str());
    return false;
}

void Tlumo2_cal_master::save_dat(const char* path)
{
    Tmy_string text;
    calculate(&text);
    if (path == nullptr)
        return;
    remember_directory(path);
    write_file(path, &text);
}

void Tlumo2_cal_master::build_xml(Tmy_string* out)
{
    out->assign("<?xml version='1.0' encoding='utf-8' ?>\n");
    out->append("<CALIBRATION serial_number=\"");
    // The serial as typed; bytes from 128 up pass unchanged: the file declares
    // utf-8, and a reader turns a character reference to such a byte into
    // another character.
    out->appendXmlEscaped(serial_text.c_str(), true);
    out->appendFormat("\" configuration=\"%s\" model=\"%s\" year=\"%d\" month=\"%d\" day=\"%d\">\n",
                      configuration_name(configuration), model_name(model), date[0], date[1], date[2]);
    sample_table_write_xml(&sample_table, out);
    out->append("</CALIBRATION>\n");
}

void Tlumo2_cal_master::save_xml(const char* path)
{
    if (path == nullptr)
        return;
    remember_directory(path);
    Tmy_string text;
    build_xml(&text);
    write_file(path, &text);
    log_select(LOG_MUTED);
    sample_table_write_xml(&sample_table, nullptr);
    log_select(LOG_LOW_LEVEL);
}

void Tlumo2_cal_master::default_file_name(Tmy_string* out, bool dat)
{
    if (out == nullptr)
        return;
    out->format("%s/calibration_%s_%04d%02d%02d", directory.c_str(), serial_text.c_str(), date[0], date[1],
                date[2]);
    out->append(dat ? ".dat" : ".xml");
}

void Tlumo2_cal_master::read_serial_from_display()
{
    serial_text.assign(display_get(DSP_SERIAL_NUMBER));
}

void Tlumo2_cal_master::read_model_from_display()
{
    model = model_code(display_get(DSP_MODEL));
}

void Tlumo2_cal_master::read_configuration_from_display()
{
    configuration = configuration_code(display_get(DSP_CONFIGURATION));
}

void Tlumo2_cal_master::set_serial(const char* text)
{
    if (text == nullptr)
        return;
    serial_text.assign(text);
    display_set(DSP_SERIAL_NUMBER, serial_text.c_str());
}

void Tlumo2_cal_master::set_model(const char* text)
{
    model = model_code(text);
    display_set(DSP_MODEL, model_name(model));
}

void Tlumo2_cal_master::set_configuration(const char* text)
{
    configuration = 0;
    if (text != nullptr)
        configuration = configuration_code(text);
    display_set(DSP_CONFIGURATION, configuration_name(configuration));
}

void Tlumo2_cal_master::set_today()
{
    date_time_fields(date, unix_time_now(), false);
}

void Tlumo2_cal_master::set_date(int year, int month, int day)
{
    date[0] = year;
    date[1] = month;
    date[2] = day;
}

void Tlumo2_cal_master::remember_directory(const char* path)
{
    char folder[DIRECTORY_MAX];
    directory_of(folder, DIRECTORY_MAX, path);
    strip_trailing_separators(folder);
    directory.assign(folder);
}

// Until a file has been saved or loaded, the folder the program runs in.
void Tlumo2_cal_master::proposed_folder(Tmy_string* out) const
{
    if (directory.length() > 0)
        out->assign(&directory);
    else
        current_directory(out);
}

void Tlumo2_cal_master::load_xml(const char* path)
{
    myXMLdocument document;
    remember_directory(path);

    const TiXmlElement* root = document.load(path);
    if (root == nullptr) {
        log_printf("ERROR : unable to read \"%s\" file correctly", path != nullptr ? path : "");
        return;
    }
    log_printf("      : reading values file \"%s\"", path);
    clear_samples();
    set_today();

    set_serial(myXMLdocument::attribute_text(root, "serial_number"));
    set_configuration(myXMLdocument::attribute_text(root, "configuration"));
    set_model(myXMLdocument::attribute_text(root, "model"));
    const int year = myXMLdocument::attribute_int(root, "year");
    const int month = myXMLdocument::attribute_int(root, "month");
    const int day = myXMLdocument::attribute_int(root, "day");
    if (year > 0 && month > 0 && day > 0)
        set_date(year, month, day);

    for (const TiXmlElement* element = myXMLdocument::first_child_element(root); element != nullptr;
         element = myXMLdocument::next_sibling_element(element)) {
        if (myXMLdocument::is_named(element, "SAMPLE"))
            read_sample(element);
    }
    refresh_stored_values();
}

// Lamp on is restored as base + delta: the file holds the deltas.
void Tlumo2_cal_master::read_sample(const TiXmlElement* element)
{
    static const char* const ATTRIBUTES[LAMP_COUNT][2] = {
        {"LA_base_mV", "LA_mV"}, {"LB_base_mV", "LB_mV"}, {"LC_base_mV", "LC_mV"}, {"LT_base_mV", "LT_mV"}};
    Tlumo_sample* sample = new Tlumo_sample;
    sample->tracer = tracer_code(myXMLdocument::attribute(element, "traceur"));
    sample->concentration = concentration_code(myXMLdocument::attribute(element, "concentration"));
    sample->temperature = myXMLdocument::attribute_real(element, "temperature");
    sample->vbat = myXMLdocument::attribute_real(element, "Vbat");
    for (int lamp = LAMP_A; lamp < LAMP_COUNT; ++lamp)
        sample->set_lamp("ABCT"[lamp], myXMLdocument::attribute_real(element, ATTRIBUTES[lamp][0]),
                         myXMLdocument::attribute_real(element, ATTRIBUTES[lamp][1]));
    const bool stored = sample_table_add(&sample_table, sample, configuration);
    note_lamp_tracer(sample);
    if (!stored)
        delete sample;
}
