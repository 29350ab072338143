#pragma once
// File > Ports…: the serial devices present, with their stable names and
// descriptions, and the list entry "COM N" the chosen one becomes. It asks
// nothing of the system itself: what it lists and what a choice does are
// given, so that tests drive it with devices of their own.
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "app/port_choice.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace orv::app {

class PortsDialog : public QDialog {
   public:
    using Lister = std::function<std::vector<PortEntry>()>;
    // Runs the choice of COM n for `device`: empty when the port opened,
    // else why not, which the dialog shows and stays open.
    using Chooser = std::function<std::string(int n, const std::string& device)>;
    // What COM n opens now, shown beside the entry.
    using Opens = std::function<std::string(int n)>;

    PortsDialog(Lister list, Chooser choose, Opens opens, QWidget* parent = nullptr);

    // Lists the devices again (the Refresh button).
    void Refresh();
    // Selects list entry COM n (1..7) as the one the device becomes.
    void SetPortNumber(int n);
    // Connects the device selected in the list as the chosen entry (the
    // Connect button).
    void Connect();

    QTreeWidget* devices() const { return devices_; }
    QComboBox* port_number() const { return port_number_; }
    QLabel* message() const { return message_; }
    QPushButton* connect_button() const { return connect_; }

   private:
    void Follow();

    Lister list_;
    Chooser choose_;
    Opens opens_;
    std::vector<PortEntry> ports_;
    QTreeWidget* devices_;
    QComboBox* port_number_;
    QLabel* opens_now_;
    QLabel* message_;
    QPushButton* connect_;
};

}  // namespace orv::app
