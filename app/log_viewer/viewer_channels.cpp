#include "app/log_viewer/viewer_channels.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "app/settings_file.h"

namespace orv::app::viewer {

namespace {

const QString kOrderKey = QStringLiteral("channels/order");
const QString kShownKey = QStringLiteral("channels/shown");
const QString kDutyLimitKey = QStringLiteral("replay/duty_limit");

const std::array<ChannelLook, kViewerChannels> kLooks = {{
    {"rpm", "RPM", "Engine speed (rpm)", 0, QColor(240, 176, 48), 0, 8000},
    {"pressure_bar", "PRES bar", "Pressure (bar)", 1, QColor(86, 182, 230), -1, 1},
    {"throttle_pct", "TPS %", "Throttle (%)", 0, QColor(62, 196, 109), 0, 100},
    {"air_c", "AIR \u00b0C", "Air (\u00b0C)", 0, QColor(140, 200, 255), -20, 60},
    {"water_c", "WAT \u00b0C", "Water (\u00b0C)", 0, QColor(236, 98, 84), -20, 120},
    {"bank1_ms", "INJ 1 ms", "Bank 1 (ms)", 1, QColor(240, 176, 48), 0, 10},
    {"bank2_ms", "INJ 2 ms", "Bank 2 (ms)", 1, QColor(206, 214, 96), 0, 10},
    {"advance_deg", "ADV \u00b0", "Advance (\u00b0)", 0, QColor(190, 140, 240), -10, 40},
    {"battery_v", "BATT V", "Battery (V)", 1, QColor(200, 200, 196), 10, 15},
    {"duty1_pct", "DUTY 1 %", "Duty 1 (%)", 1, QColor(255, 140, 90), 0, 100},
    {"duty2_pct", "DUTY 2 %", "Duty 2 (%)", 1, QColor(255, 190, 120), 0, 100},
}};

// Drawn until the tuner chooses: what a drive is read by.
constexpr int kDefaultShown[] = {kChRpm, kChPressure, kChTps, kChBank1, kChBank2, kChAdvance, kDuty1, kDuty2};

int ChannelOf(const QString& key) {
    for (int c = 0; c < kViewerChannels; ++c)
        if (key == QLatin1String(kLooks[c].key)) return c;
    return -1;
}

QStringList Keys(const std::vector<int>& channels) {
    QStringList keys;
    for (int c : channels) keys << QString::fromLatin1(kLooks[c].key);
    return keys;
}

bool Contains(const std::vector<int>& v, int c) { return std::find(v.begin(), v.end(), c) != v.end(); }

}  // namespace

const ChannelLook& Look(int channel) { return kLooks[std::clamp(channel, 0, kViewerChannels - 1)]; }

QColor RecomputedColour() { return QColor(96, 220, 230); }

bool HasRecomputed(int channel) {
    return channel == kChBank1 || channel == kChBank2 || channel == kChAdvance || channel == kDuty1 ||
           channel == kDuty2;
}

std::string FormatValue(int channel, double value) {
    // No "-0.0": what rounds to nothing is written as nothing.
    const int decimals = Look(channel).decimals;
    if (std::abs(value) < 0.5 * std::pow(10.0, -decimals)) value = 0;
    return QString::number(value, 'f', decimals).toStdString();
}

void ChannelChoice::Show(const std::vector<int>& channels) {
    std::vector<int> drawn;
    for (int c : channels)
        if (c >= 0 && c < kViewerChannels && !Contains(drawn, c)) drawn.push_back(c);
    std::vector<int> rest;
    for (int c : order)
        if (!Contains(drawn, c)) rest.push_back(c);
    order = drawn;
    order.insert(order.end(), rest.begin(), rest.end());
    shown = drawn;
}

ChannelChoice DefaultChoice() {
    ChannelChoice choice;
    for (int c = 0; c < kViewerChannels; ++c) choice.order.push_back(c);
    choice.Show(std::vector<int>(std::begin(kDefaultShown), std::end(kDefaultShown)));
    return choice;
}

ChannelChoice ReadChoice(const std::filesystem::path& dir) {
    const std::unique_ptr<QSettings> read = ReadSettings(dir / kViewerSettingsFile);
    if (!read || !read->contains(kOrderKey)) return DefaultChoice();
    QSettings& settings = *read;
    ChannelChoice choice;
    for (const QString& key : settings.value(kOrderKey).toStringList())
        if (int c = ChannelOf(key); c >= 0 && !Contains(choice.order, c)) choice.order.push_back(c);
    for (int c = 0; c < kViewerChannels; ++c)
        if (!Contains(choice.order, c)) choice.order.push_back(c);
    const QStringList shown = settings.value(kShownKey).toStringList();
    for (int c : choice.order)
        if (shown.contains(QString::fromLatin1(kLooks[c].key))) choice.shown.push_back(c);
    return choice;
}

bool WriteChoice(const std::filesystem::path& dir, const ChannelChoice& choice, std::string* error) {
    const std::unique_ptr<QSettings> settings = ChangeSettings(dir / kViewerSettingsFile, error);
    if (!settings) return false;
    settings->setValue(kOrderKey, Keys(choice.order));
    settings->setValue(kShownKey, Keys(choice.shown));
    return SaveSettings(*settings, error);
}

double ReadDutyLimit(const std::filesystem::path& dir, double fallback) {
    bool ok = false;
    const std::unique_ptr<QSettings> settings = ReadSettings(dir / kViewerSettingsFile);
    const double limit = settings ? settings->value(kDutyLimitKey).toDouble(&ok) : 0;
    return ok && limit > 0 ? limit : fallback;
}

bool WriteDutyLimit(const std::filesystem::path& dir, double limit, std::string* error) {
    const std::unique_ptr<QSettings> settings = ChangeSettings(dir / kViewerSettingsFile, error);
    if (!settings) return false;
    settings->setValue(kDutyLimitKey, limit);
    return SaveSettings(*settings, error);
}

}  // namespace orv::app::viewer
