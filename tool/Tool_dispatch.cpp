#include "tool/Tool.h"

namespace {

struct Tsubcommand {
    const char* name;
    int (*run)(const Ttool_args& args, Ttool_output* io);
};

const Tsubcommand SUBCOMMANDS[] = {
    {"calc", tool_calc},
    {"reconvert", tool_reconvert},
    {"convert", tool_convert},
    {"decode", tool_decode},
    {"record", tool_record},
    {"analyze", tool_analyze},
};

const char HELP[] =
    "Usage: lumo2-tool SUBCOMMAND [ARGUMENTS]\n"
    "\n"
    "The fluorometer program's file and stream operations, without windows.\n"
    "\n"
    "  lumo2-tool calc CALIBRATION.xml [-o FILE.dat]\n"
    "      Loads a calibration XML file as the calibration window's \"Load XML...\"\n"
    "      does, computes and checks the constants as \"Calc Calibration\" does and\n"
    "      writes the legacy calibration text to standard output or FILE.dat. The\n"
    "      failed rules and the line \"calibration.check_validity() => Error code = N\"\n"
    "      go to standard error. Status 0 when N is 0, 3 when rules fail, 2 when\n"
    "      a file cannot be read or written.\n"
    "\n"
    "  lumo2-tool reconvert TABLE.csv CONSTANTS.dat [-o OUT.csv]\n"
    "      Reads a measurement table saved by the view window and writes it again\n"
    "      with the ppb A, ppb B, ppb C and NTU columns recomputed from its delta\n"
    "      columns through the calibration constants file, as the live view\n"
    "      converts (\"-\": the lamp was absent). Other cells are kept as they are.\n"
    "      Status 2 for a malformed table or refused constants (\"error xN\").\n"
    "\n"
    "  lumo2-tool convert CONSTANTS.dat --deltas A,B,C,T\n"
    "      Converts one set of lamp deltas in mV (\"-\" for an absent lamp) and\n"
    "      prints ppb A, ppb B, ppb C and NTU as the measurement table shows them.\n"
    "\n"
    "  lumo2-tool decode [FILE|-] [--tick-every BYTES]\n"
    "      Feeds captured bytes from the instrument (standard input without FILE\n"
    "      or with \"-\") through the program's receive state machine, frame\n"
    "      decoder and parsers. Prints one line per text line or frame: its byte\n"
    "      offsets and values (lamp off, on and delta in mV, temperature in degC,\n"
    "      battery in V; \"-\" when missing), or why a frame was rejected. After a\n"
    "      '$' line feeds end no line for 35 s; a capture carries no time, so by\n"
    "      default that window never closes: --tick-every BYTES lets 100 ms pass\n"
    "      after every BYTES bytes (96 at 9600 baud without pauses). Status 1 when\n"
    "      frames were rejected, lines held no reading or bytes had no end.\n"
    "\n"
    "  lumo2-tool record --port N [--lamps ABCT] [--every SECONDS] [--count K]\n"
    "                   [--constants FILE.dat] [--verbose] -o TABLE.csv\n"
    "                   [--publish URL [--station NAME] [--ca FILE]]\n"
    "      The live view without windows, for a computer left beside the spring:\n"
    "      opens COM<N> as the program connects, requests a measurement of the\n"
    "      lamps given (default: all four) at once and then every SECONDS\n"
    "      seconds (default: 10; at least 1, to the tenth of a second), converts\n"
    "      it through the calibration constants file when one is given, and\n"
    "      appends each answer as a row to TABLE.csv, in the form the view\n"
    "      window's \"save\" writes. Every row is on the disk before the next\n"
    "      answer is read and is printed on standard output. A missing TABLE.csv\n"
    "      is created with the header line; a saved table is continued, after\n"
    "      completing a last row without its line end or dropping a last line\n"
    "      cut short by a crash (kept in TABLE.csv.dropped); any other file,\n"
    "      and a table another program is writing, is refused.\n"
    "      Stops with status 0 after K rows (default 0: never) or on Ctrl+C or\n"
    "      SIGTERM; status 4 when the port cannot be opened or goes away\n"
    "      (\"DISCONNECTED\"), 2 for a refused table or constants, 5 when the\n"
    "      table cannot be written during the run (a full disk). --verbose\n"
    "      writes the program's log lines to standard error.\n"
    "      --publish sends every row to an MQTT broker, URL\n"
    "      mqtt://[USER[:PASSWORD]@]HOST[:PORT]/PREFIX or mqtts://... (TLS, checked\n"
    "      against --ca FILE or the system's certificates; the password may come\n"
    "      from LUMO2_MQTT_PASSWORD), one JSON message per row on\n"
    "      PREFIX/STATION/row (QoS 1; STATION from --station, default the host\n"
    "      name). The table is the store: rows the broker has not acknowledged\n"
    "      (TABLE.csv.published keeps the last one) are sent once it answers,\n"
    "      also after a restart. Status 2 for a bad URL, an unreadable CA file or\n"
    "      a refused login.\n"
    "  lumo2-tool analyze TABLE.csv --injection TIME --mass LAMP=MASS [--mass ...]\n"
    "                    (--discharge Q | --discharge-file FILE) [--distance M]\n"
    "                    [--background LAMP=PPB ...] [--max-gap SECONDS]\n"
    "                    [--time-column NAME --column LAMP=NAME ...]\n"
    "                    [--time-zone ZONE] [--site NAME]\n"
    "                    [-o RESULTS.csv]\n"
    "      Analyses the tracer test in a saved table or journal by the method of\n"
    "      moments, per tracer lamp (A, B, C) with an injected mass or a rising\n"
    "      curve (the others only show their background): background,\n"
    "      first arrival, peak, end of the curve, recovered mass and recovery, mean\n"
    "      residence time and variance, and with --distance the velocities,\n"
    "      dispersion, dispersivity and Peclet number. The integrals end where the\n"
    "      curve is back within the background's noise. TIME is\n"
    "      \"dd.mm.yyyy hh:mm[:ss]\", \"yyyy-mm-dd hh:mm[:ss]\" (an offset such as\n"
    "      +01:00 or Z allowed; without one, in --time-zone, an IANA name such as\n"
    "      Europe/Paris, default UTC) or UTC seconds. MASS in g, kg or mg and Q in\n"
    "      L/s, m3/s or m3/h (\"12.5 m3/h\"; the number alone is g and L/s). The\n"
    "      discharge file holds \"time;discharge\" lines (UTC, L/s). Without\n"
    "      --background a lamp's background is the mean of its rows before the\n"
    "      injection. A step between rows longer than 3 local sampling intervals\n"
    "      (or than --max-gap) is a gap and not integrated. With --time-column the\n"
    "      file is another logger's export: one header line, \";\", tab or \",\"\n"
    "      between cells, decimal point (or comma when \",\" does not separate),\n"
    "      the time in the column NAME and each lamp's ppb in its --column.\n"
    "      Prints the title (with --site, where the samples were taken), the\n"
    "      file read and the inputs, then a table (four significant digits) in which\n"
    "      \"*\" marks a provisional figure and \"-\" one not available, and a\n"
    "      sentence per lamp saying why;\n"
    "      -o writes the figures as \";\" text for scripts in full precision\n"
    "      (\"-\" where not available). Status 2 for bad input, no rows from the\n"
    "      injection on, or a file that does not read; 3 when no lamp has a figure\n"
    "      beyond its background.\n"
    "\n"
    "  lumo2-tool --help\n"
    "      This text.\n"
    "\n"
    "Unknown subcommands and options give status 2.\n";

}  // namespace

const char* tool_help() { return HELP; }

int tool_main(const Ttool_args& args, Ttool_output* io)
{
    if (args.empty()) {
        io->err += HELP;
        return TOOL_BAD_INPUT;
    }
    const std::string& name = args[0];
    if (name == "--help" || name == "-h" || name == "help") {
        io->out += HELP;
        return TOOL_OK;
    }
    const Ttool_args rest(args.begin() + 1, args.end());
    for (const Tsubcommand& subcommand : SUBCOMMANDS)
        if (name == subcommand.name)
            return subcommand.run(rest, io);
    io->err += "lumo2-tool: unknown subcommand \"" + name + "\" (see lumo2-tool --help)\n";
    return TOOL_BAD_INPUT;
}
