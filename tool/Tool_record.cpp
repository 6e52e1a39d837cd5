#include "publish/Publisher.h"
#include "tool/Record_options.h"
#include "tool/Recorder.h"
#include "tool/Tool.h"
#include "tool/Tool_args.h"

// lumo2-tool record: the live view's measurements appended to a saved table.

namespace {

const char COMMAND[] = "record";

// The broker to publish to, checked before the table is touched.
bool check_publishing(const Tpublish_options& options, Tpublish_target* target, std::string* error)
{
    if (options.url.empty()) return true;
    *error = publishing_unavailable();
    return error->empty() && read_publish_target(options, target, error);
}

}  // namespace

int tool_record(const Ttool_args& args, Ttool_output* io)
{
    Trecord_options options;
    std::string error;
    if (!read_record_options(args, &options, &error))
        return tool_usage_error(io, COMMAND, error);
    if (options.help) {
        io->out += tool_help();
        return TOOL_OK;
    }
    Tpublish_target target;
    if (!check_publishing(options.publish, &target, &error)) {
        tool_error(io, COMMAND, error);
        return TOOL_BAD_INPUT;
    }
    Ttable_appender table;
    if (!table.open(options.table.c_str(), &error)) {
        tool_error(io, COMMAND, options.table + (table.busy() ? " " : ": ") + error);
        return TOOL_BAD_INPUT;
    }
    if (table.dropped_bytes() > 0)
        tool_error(io, COMMAND,
                   options.table + ": " + std::to_string(table.dropped_bytes()) +
                       " bytes of a last line cut short dropped, kept in \"" + table.dropped_path() + "\"");
    Trecorder recorder(options, &table, io);
    if (!options.publish.url.empty() && !recorder.publish(target, &error)) {
        tool_error(io, COMMAND, error);
        return TOOL_BAD_INPUT;
    }
    return recorder.run();
}
