#include "app/port_choice.h"

#include <QSerialPortInfo>
#include <system_error>

#include "app/binding.h"
#include "app/settings_file.h"
#include "core/page/main_page.h"
#include "serial/qt_serial_port.h"

namespace orv::app {

namespace {

constexpr int kFirstPort = 1, kLastPort = 7;  // the list's "COM 1" .. "COM 7"

QString Key(int n) { return QStringLiteral("ports/com%1").arg(n); }

}  // namespace

std::map<std::string, std::string> StableNames(const std::filesystem::path& by_id_dir) {
    std::map<std::string, std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(by_id_dir, ec)) {
        std::error_code link_ec;
        const std::filesystem::path target = std::filesystem::canonical(entry.path(), link_ec);
        if (link_ec) continue;
        // Two links to one device: the smaller name, whatever the directory's order.
        const auto [it, fresh] = names.emplace(target.string(), entry.path().string());
        if (!fresh && entry.path().string() < it->second) it->second = entry.path().string();
    }
    return names;
}

std::vector<PortEntry> PresentPorts(const std::filesystem::path& by_id_dir) {
    const std::map<std::string, std::string> stable = StableNames(by_id_dir);
    std::vector<PortEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortEntry e;
        e.device = info.systemLocation().toStdString();
        std::error_code ec;
        const std::filesystem::path real = std::filesystem::canonical(e.device, ec);
        if (auto it = stable.find(ec ? e.device : real.string()); it != stable.end()) e.stable_name = it->second;
        e.description = info.description().toStdString();
        e.manufacturer = info.manufacturer().toStdString();
        e.serial_number = info.serialNumber().toStdString();
        ports.push_back(std::move(e));
    }
    return ports;
}

std::map<int, std::string> ReadPortMap(const std::filesystem::path& dir) {
    std::map<int, std::string> map;
    std::error_code ec;
    if (!std::filesystem::exists(dir / kPortsFile, ec)) return map;
    const std::unique_ptr<QSettings> settings = ReadSettings(dir / kPortsFile);
    if (!settings) return map;
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        const QString device = settings->value(Key(n)).toString();
        if (!device.isEmpty()) map[n] = device.toStdString();
    }
    return map;
}

bool SavePortMapping(const std::filesystem::path& dir, int n, const std::string& device, std::string* error) {
    const std::unique_ptr<QSettings> settings = ChangeSettings(dir / kPortsFile, error);
    if (!settings) return false;
    settings->setValue(Key(n), QString::fromStdString(device));
    return SaveSettings(*settings, error);
}

std::string OpenFailure(int n, const serial::QtSerialPort& port) {
    std::string why = "COM " + std::to_string(n) + " (" + port.Device(n).string() + ") cannot be opened";
    if (!port.open_error().empty()) why += ": " + port.open_error();
    switch (port.open_error_kind()) {
        case QSerialPort::PermissionError:
            why +=
                ". Serial devices belong to the group dialout: sudo usermod -aG dialout \"$USER\", then log in "
                "again; or another program has the port open";
            break;
        case QSerialPort::DeviceNotFoundError: why += ". Is the adapter plugged in? File > Ports… lists what is"; break;
        default: break;
    }
    return why + ".";
}

std::string UseChosenPort(Main_Page& console, Binding& binding, serial::QtSerialPort& port, int n,
                          const std::string& device) {
    port.MapPort(n, device);
    std::string not_kept;
    SavePortMapping(console.app_dir, n, device, &not_kept);
    binding.User([&] {
        // The port already chosen opens again, on its new device.
        if (console.form.COM.ListIndex() == n - 1) console.COM_Click();
        else console.form.COM.UserSelect(n - 1);
        if (!port.IsOpen()) console.form.Tell(OpenFailure(n, port), form::Form::NoticeKind::Failed);
        else if (!not_kept.empty())
            console.form.Tell("COM " + std::to_string(n) + " is " + device + " for this run only: " + not_kept,
                              form::Form::NoticeKind::Failed);
        else console.form.Tell("COM " + std::to_string(n) + " is " + device, form::Form::NoticeKind::Done);
    });
    return port.IsOpen() ? std::string() : OpenFailure(n, port);
}

void TellPortAtStart(Main_Page& console, const serial::QtSerialPort& port) {
    if (!console.form.Notice.empty()) return;
    const int n = console.config.cfg_port;
    if (n < kFirstPort) console.form.Tell(kChoosePortHint, form::Form::NoticeKind::Info);
    else if (!port.IsOpen()) console.form.Tell(OpenFailure(n, port), form::Form::NoticeKind::Failed);
}

}  // namespace orv::app
