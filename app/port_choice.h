#pragma once
// The serial devices present and which of them list entry "COM N" opens:
// the ports dialog's choice, kept in ports.ini beside config.dat (whose
// format stays as it is) and put back at every start.
#include <QString>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace orv {
class Main_Page;
namespace serial {
class QtSerialPort;
}
}  // namespace orv

namespace orv::app {

class Binding;

// One serial device as the ports dialog lists it.
struct PortEntry {
    std::string device;       // /dev/ttyUSB0
    std::string stable_name;  // /dev/serial/by-id/usb-FTDI_..., or empty
    std::string description;  // "FT232R USB UART"
    std::string manufacturer;
    std::string serial_number;
    // The name to remember: the stable one where there is one, as the
    // kernel's name may change when the adapter is plugged in again.
    const std::string& Name() const { return stable_name.empty() ? device : stable_name; }
};

// Every link in by_id_dir, by the device it points to: device -> link.
std::map<std::string, std::string> StableNames(const std::filesystem::path& by_id_dir);
// The serial devices Qt finds, with their stable names from by_id_dir.
std::vector<PortEntry> PresentPorts(const std::filesystem::path& by_id_dir = "/dev/serial/by-id");

inline constexpr const char* kPortsFile = "ports.ini";
// The mappings ports.ini in `dir` holds (port number 1..7 -> device);
// entries that are not one are left out.
std::map<int, std::string> ReadPortMap(const std::filesystem::path& dir);
// Keeps "COM n is device" in ports.ini in `dir`; false and the reason when
// the file cannot be written.
bool SavePortMapping(const std::filesystem::path& dir, int n, const std::string& device, std::string* error);

// Why port n, just tried, did not open, for the status bar.
std::string OpenFailure(int n, const serial::QtSerialPort& port);

// The ports dialog's choice: COM n opens `device` from now on (and at the
// next start), is selected in the port list and opened. Empty when it
// opened, else why not (the mapping is kept either way).
std::string UseChosenPort(Main_Page& console, Binding& binding, serial::QtSerialPort& port, int n,
                          const std::string& device);

// After start-up: with no port chosen, how to choose one; with a
// remembered port that did not open, why. Leaves a message start-up already
// left in place.
void TellPortAtStart(Main_Page& console, const serial::QtSerialPort& port);

inline constexpr const char* kChoosePortHint =
    "No serial port chosen: File > Ports… lists the serial devices present and connects one as COM N.";

}  // namespace orv::app
