#pragma once
// A log file read back: the header's cells and each row's.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace orv::test {

// A console log's header from before the mode and the outputs imposed in
// host mode were logged: logs with it are read as they always were.
inline const std::string kEarlierLogHeader =
    "time_s,rpm,pressure_bar,throttle_pct,air_c,water_c,bank1_ms,bank2_ms,advance_deg,battery_v,stamp,marker\r\n";

struct LogFile {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
    bool crlf = true;  // every line ends CR LF

    explicit LogFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::string line;
        for (bool first = true; std::getline(in, line); first = false) {
            if (line.empty() || line.back() != '\r') crlf = false;
            else line.pop_back();
            std::vector<std::string> cells;
            std::istringstream s(line);
            for (std::string cell; std::getline(s, cell, ',');) cells.push_back(cell);
            if (!line.empty() && line.back() == ',') cells.emplace_back();
            (first ? header : rows.emplace_back()) = cells;
        }
    }
    // The marker column's texts, in order, and how many data rows came
    // before each.
    std::vector<std::pair<std::string, int>> Marks() const {
        std::vector<std::pair<std::string, int>> marks;
        int data = 0;
        for (const auto& r : rows) {
            if (r.size() >= 12 && !r[11].empty()) marks.emplace_back(r[11], data);
            if (r.size() >= 12 && !r[1].empty()) ++data;
        }
        return marks;
    }
    int DataRows() const {
        int n = 0;
        for (const auto& r : rows) n += r.size() > 1 && !r[1].empty();
        return n;
    }
};

}  // namespace orv::test
