// The log viewer on an hour's drive at the line's rate: the time from
// opening a 520,000-row log to the first picture of its panels, the memory
// then resident, and the time a zoom or a pan takes to be drawn again (the
// panels rendered to an image each time).
//
//   orv_log_viewer_bench [--rows N] [--picture FILE.png]
//
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QTabWidget>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/log_viewer/log_viewer.h"
#include "app/look.h"
#include "core/files/map_file.h"
#include "core/log/live_log.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// kB of the process's resident peak, from /proc.
long PeakKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// A drive: idle, pulls through the gears, cruising and lifting off, in a
// cycle of a few minutes; temperatures rise as the engine warms; a marker
// every ten minutes and the link lost for a second twice.
void WriteDrive(const std::filesystem::path& path, long rows) {
    std::ofstream out(path, std::ios::binary);
    out << orv::LiveLogHeader(orv::LogColumns::Full);
    std::string chunk;
    unsigned noise = 12345;
    auto jitter = [&noise] {
        noise = noise * 1103515245u + 12345u;
        return static_cast<double>((noise >> 16) % 1000) / 1000.0 - 0.5;
    };
    int marker = 0;
    for (long i = 0; i < rows; ++i) {
        const double t = static_cast<double>(i) / 145 + (i > rows / 3 ? 1.5 : 0) + (i > 2 * rows / 3 ? 1.5 : 0);
        const double cycle = std::fmod(t, 240) / 240;
        const double gear = std::fmod(t, 12) / 12;
        const double load = cycle < 0.1 ? 0.05 : cycle < 0.5 ? 0.4 + 0.6 * gear : cycle < 0.8 ? 0.35 : 0.02;
        const double rpm = cycle < 0.1 ? 9 : cycle < 0.5 ? 20 + 40 * gear : cycle < 0.8 ? 30 : 15;
        orv::LiveValues v;
        v.live_rpm = static_cast<std::uint8_t>(std::clamp(rpm + jitter(), 0.0, 255.0));
        v.live_pressure = static_cast<std::uint8_t>(2 + load * 16 + jitter());
        v.live_tps = static_cast<std::uint8_t>(std::clamp(load * 100 + jitter(), 0.0, 100.0));
        v.live_air = static_cast<std::uint8_t>(45 + t / 300);
        v.live_water = static_cast<std::uint8_t>(std::min(60 + t / 20, 108.0));
        v.live_tinj1 = static_cast<std::uint8_t>(18 + load * 100 + 2 * jitter());
        v.live_tinj2 = static_cast<std::uint8_t>(v.live_tinj1 + 1);
        v.live_advance = static_cast<std::uint8_t>(45 + 32 - load * 22 + jitter());
        v.live_batt = static_cast<std::uint8_t>(139 + jitter());
        char time[32];
        std::snprintf(time, sizeof time, "%.3f,", t);
        if (i == rows / 3 + 1 || i == 2 * rows / 3 + 1)
            chunk += std::string(time) + ",,,,,,,,,2026-12-08 14:03:27.415,gap: link lost,,,,\r\n";
        chunk += time + orv::LiveChannelCells(v) + ",2026-12-08 14:03:27.415,";
        if (i % 87000 == 86999) chunk += std::to_string(++marker);
        chunk += ",remote,,,\r\n";
        if (chunk.size() > (1 << 20)) {
            out << chunk;
            chunk.clear();
        }
    }
    out << chunk;
}

// Each time an action is drawn: all of it to the picture, the handler's
// share (the rest is painting the panels), and the read-out's figures of the
// new span, which follow the picture.
struct Times {
    std::vector<double> ms, handler_ms, figures_ms;
    template <typename F>
    void Measure(F&& action, const std::function<void()>& render, const std::function<void()>& figures) {
        const auto start = Clock::now();
        action();
        handler_ms.push_back(MsSince(start));
        render();
        ms.push_back(MsSince(start));
        const auto after = Clock::now();
        figures();
        figures_ms.push_back(MsSince(after));
    }
    static double Mean(const std::vector<double>& v) {
        double sum = 0;
        for (double m : v) sum += m;
        return sum / static_cast<double>(v.size());
    }
    void Print(const char* what) {
        std::sort(ms.begin(), ms.end());
        std::printf("%-26s mean %5.2f ms (handler %5.2f), median %5.2f, 95th %5.2f, most %5.2f; then the figures "
                    "%5.2f ms (%zu times)\n",
                    what, Mean(ms), Mean(handler_ms), ms[ms.size() / 2], ms[ms.size() * 95 / 100], ms.back(),
                    Mean(figures_ms), ms.size());
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    long rows = 520000;
    QString picture;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--rows") rows = args[i + 1].toLong();
        else if (args[i] == "--picture") picture = args[i + 1];
    }
    orv::app::ApplyProgramLook();

    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("orv-viewer-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "logs");
    const std::filesystem::path log = dir / "logs" / "drive.csv";
    WriteDrive(log, rows);
    std::printf("%ld rows, %.1f MB; resident before opening: %ld MB\n", rows,
                static_cast<double>(std::filesystem::file_size(log)) / 1e6, PeakKb() / 1024);

    orv::Image image{};
    orv::ApplyMapValues(image, orv::ReadMapFile(ORV_SAMPLE_MAP).values);
    orv::app::viewer::LogViewer viewer(dir, [&image]() -> const orv::Image& { return image; });
    viewer.resize(1024, 700);
    viewer.show();
    QApplication::processEvents();
    QWidget* panels = viewer.panelArea();
    QImage frame(panels->size(), QImage::Format_ARGB32_Premultiplied);
    const std::function<void()> render = [&] {
        QPainter painter(&frame);
        panels->render(&painter);
    };
    const std::function<void()> figures = [&] { viewer.ReadOut(orv::kChRpm, false, orv::app::viewer::kColMean); };

    const auto opening = Clock::now();
    if (!viewer.Open(log)) {
        std::fprintf(stderr, "not opened: %s\n", viewer.status().toUtf8().constData());
        return 1;
    }
    render();
    std::printf("open to the first picture: %.0f ms (%zu panels, %d columns); resident peak %ld MB\n",
                MsSince(opening), viewer.panels().size(), viewer.panels().front()->Columns(), PeakKb() / 1024);
    std::printf("status: %s\n", viewer.status().toUtf8().constData());

    const double hour = viewer.viewEnd() - viewer.viewStart();
    Times zoom, pan, whole, replayed;
    for (int i = 0; i < 60; ++i) {
        const double centre = hour * (i + 0.5) / 60;
        zoom.Measure([&] { viewer.ZoomTo(centre - 30, centre + 30); }, render, figures);  // a minute of it
        pan.Measure([&] { viewer.Pan(5); }, render, figures);
    }
    for (int i = 0; i < 10; ++i) whole.Measure([&] { viewer.Fit(); }, render, figures);
    zoom.Print("zoom to a minute, drawn:");
    pan.Print("pan by 5 s, drawn:");
    whole.Print("fit the whole hour, drawn:");

    const auto start = Clock::now();
    viewer.SetRecompute(true);
    render();
    std::printf("recompute the hour and draw it: %.0f ms (%zu panels); resident peak %ld MB\n", MsSince(start),
                viewer.panels().size(), PeakKb() / 1024);
    for (int i = 0; i < 20; ++i) {
        const double centre = hour * (i + 0.5) / 20;
        replayed.Measure([&] { viewer.ZoomTo(centre - 30, centre + 30); }, render, figures);
    }
    replayed.Print("zoom, recomputed too:");

    if (!picture.isEmpty()) {
        viewer.ZoomTo(hour * 0.3, hour * 0.3 + 240);
        viewer.SetCursorTime(hour * 0.3 + 100);
        QApplication::processEvents();
        viewer.grab().save(picture);
        viewer.tabs()->setCurrentIndex(1);
        QApplication::processEvents();
        QString hits = picture;
        hits.replace(".png", "-hits.png");
        viewer.grab().save(hits);
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return 0;
}
