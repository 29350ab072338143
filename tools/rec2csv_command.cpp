// orvtool rec2csv: a recording file as the console exports it to CSV.
#include <cmath>
#include <memory>

#include "core/recorder/recording.h"
#include "tools/commands.h"
#include "tools/tool_files.h"

namespace orv::tool {

void AddRec2Csv(CLI::App& app) {
    struct Options {
        std::string rec, out;
    };
    auto o = std::make_shared<Options>();
    CLI::App* sub = app.add_subcommand("rec2csv", "A recording as CSV: time in seconds and every live value in engineering units");
    sub->add_option("REC", o->rec, "Recording file")->required();
    sub->add_option("-o", o->out, "Write the CSV to FILE instead of standard output (-: standard output)");
    sub->callback([o] {
        RecorderState rec;
        if (const std::string error = LoadRecording(o->rec, rec); !error.empty()) throw Failure(o->rec + ": " + error);
        // The recorder writes whole samples; anything else (a map file, an
        // empty file) is no recording of it, though its values would read.
        const long values = std::lround(rec.rec_count * kRecSampleSize);
        if (values == 0) throw Failure(o->rec + ": not a recording: no values");
        if (values % kRecSampleSize != 0)
            throw Failure(o->rec + ": not a recording: " + std::to_string(values) + " values, not whole samples of " +
                          std::to_string(kRecSampleSize));
        Emit(o->out, FormatRecordingCsv(rec.rec_buffer, WholeSamples(rec.rec_count)), o->rec);
    });
}

}  // namespace orv::tool
