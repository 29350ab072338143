#pragma once
// What the log viewer can draw: the log's nine channels and the two duty
// cycles worked out from them, each with its look; and the tuner's choice of
// which to draw and in what order, kept in logviewer.ini beside config.dat.
#include <QColor>
#include <filesystem>
#include <string>
#include <vector>

#include "core/log/log_data.h"

namespace orv::app::viewer {

// The log's channels keep their LogChannelId; the duties follow.
constexpr int kDuty1 = kLogChannels;
constexpr int kDuty2 = kLogChannels + 1;
constexpr int kViewerChannels = kLogChannels + 2;

struct ChannelLook {
    const char* key;    // its name in logviewer.ini: the log's column heading
    const char* title;  // the panel's axis title
    const char* name;   // the read-out's row
    int decimals;       // as the read-out writes it
    QColor colour;
    double lo, hi;      // the value range shown while nothing is drawn
};
const ChannelLook& Look(int channel);
// The colour of a recomputed output, beside the logged one.
QColor RecomputedColour();
// Whether the replay gives a recomputed value of this channel.
bool HasRecomputed(int channel);

// A value as the read-out writes it for this channel.
std::string FormatValue(int channel, double value);

inline constexpr const char* kViewerSettingsFile = "logviewer.ini";

// Every channel once, in the tuner's order, and which of them are drawn.
struct ChannelChoice {
    std::vector<int> order;
    std::vector<int> shown;  // in the order's order
    // The drawn ones first, in the order given, then the rest as they were.
    void Show(const std::vector<int>& channels);
};
ChannelChoice DefaultChoice();
// The choice kept in `dir`'s logviewer.ini; names it does not know are
// dropped and channels it lacks come last, so an old or edited file still
// gives every channel once. The default when there is none.
ChannelChoice ReadChoice(const std::filesystem::path& dir);
// False when the file cannot be written, with the reason in *error.
bool WriteChoice(const std::filesystem::path& dir, const ChannelChoice& choice, std::string* error = nullptr);
// The duty limit kept there too, in percent; `fallback` when none is.
double ReadDutyLimit(const std::filesystem::path& dir, double fallback);
bool WriteDutyLimit(const std::filesystem::path& dir, double limit, std::string* error = nullptr);

}  // namespace orv::app::viewer
