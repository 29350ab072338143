// orvtool replay: what a map would have given over a log, row by row, beside
// what the controller did.
#include <iostream>
#include <memory>

#include "core/files/atomic_file.h"
#include "core/log/log_replay.h"
#include "tools/commands.h"
#include "tools/tool_files.h"

namespace orv::tool {

void AddReplay(CLI::App& app) {
    struct Options {
        std::string log, map, out;
        bool allow_short = false;
    };
    auto o = std::make_shared<Options>();
    CLI::App* sub = app.add_subcommand(
        "replay",
        "The injection times, advance and duty MAP's active slot gives at every row of LOG, beside the logged ones, as CSV");
    sub->add_option("LOG", o->log, "A console log, a CSV with its header (monitor --csv, the recorder's export) or a recording")
        ->required();
    sub->add_option("MAP", o->map, "Map file")->required();
    sub->add_option("-o", o->out, "Write the CSV to FILE instead of standard output (-: standard output)");
    AddAllowShort(*sub, o->allow_short, "over an empty image, the rest 0");
    sub->callback([o] {
        const LogData log = ReadLog(o->log);
        if (!log.error.empty()) throw Failure(o->log + ": " + log.error);
        if (log.empty()) throw Failure(o->log + ": no rows to replay (" + log.Summary() + ")");
        const Image image = ReadMap(o->map, o->allow_short).image;
        if (!o->out.empty() && o->out != "-" && SameFile(o->out, o->map))
            throw Failure(o->out + ": is the input file, not written over");
        Emit(o->out, FormatReplayCsv(log, Recompute(log, image)), o->log);
        // What was left out or changed, once the rest is written. Values
        // beyond the controller's byte are replayed at its ends, as the
        // controller would have sent them: said, but no failure, so scripts
        // that replay such logs carry on.
        auto tell = [&](std::string said) {
            for (char& c : said)
                if (c == '\n' || c == '\r') c = ' ';
            std::cerr << "orvtool: " << o->log << ": " << said << "\n";
        };
        if (log.rows_skipped > 0 || !log.skipped.empty()) tell(log.Summary());
        if (const std::string clamped = ClampedValues(log); !clamped.empty()) tell(clamped);
    });
}

}  // namespace orv::tool
