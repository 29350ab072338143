#include "app/ports_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace orv::app {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

PortsDialog::PortsDialog(Lister list, Chooser choose, Opens opens, QWidget* parent)
    : QDialog(parent), list_(std::move(list)), choose_(std::move(choose)), opens_(std::move(opens)) {
    setObjectName("PortsDialog");
    setWindowTitle(QStringLiteral("Ports"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Serial devices present:"), this));

    devices_ = new QTreeWidget(this);
    devices_->setObjectName("devices");
    devices_->setRootIsDecorated(false);
    devices_->setHeaderLabels({QStringLiteral("Device"), QStringLiteral("Stable name"), QStringLiteral("Description"),
                               QStringLiteral("Maker"), QStringLiteral("Serial number")});
    devices_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    devices_->setMinimumSize(560, 140);
    layout->addWidget(devices_);

    auto* choice = new QHBoxLayout;
    auto* as = new QLabel(QStringLiteral("Connect it as"), this);
    port_number_ = new QComboBox(this);
    port_number_->setObjectName("portnumber");
    for (int n = 1; n <= 7; ++n) port_number_->addItem(QStringLiteral("COM %1").arg(n));
    as->setBuddy(port_number_);
    opens_now_ = new QLabel(this);
    opens_now_->setObjectName("opensnow");
    choice->addWidget(as);
    choice->addWidget(port_number_);
    choice->addWidget(opens_now_, 1);
    layout->addLayout(choice);

    message_ = new QLabel(this);
    message_->setObjectName("message");
    message_->setWordWrap(true);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(message_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* refresh = buttons->addButton(QStringLiteral("&Refresh"), QDialogButtonBox::ResetRole);
    connect_ = buttons->addButton(QStringLiteral("C&onnect"), QDialogButtonBox::AcceptRole);
    connect_->setObjectName("connect");
    buttons->addButton(QDialogButtonBox::Close);
    layout->addWidget(buttons);

    QObject::connect(refresh, &QPushButton::clicked, this, [this] { Refresh(); });
    QObject::connect(buttons, &QDialogButtonBox::accepted, this, [this] { Connect(); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    QObject::connect(devices_, &QTreeWidget::itemSelectionChanged, this, [this] { Follow(); });
    QObject::connect(devices_, &QTreeWidget::itemActivated, this, [this] { Connect(); });
    QObject::connect(port_number_, &QComboBox::currentIndexChanged, this, [this] { Follow(); });
    Refresh();
}

void PortsDialog::Refresh() {
    ports_ = list_ ? list_() : std::vector<PortEntry>{};
    devices_->clear();
    for (const PortEntry& p : ports_) {
        auto* item = new QTreeWidgetItem(
            devices_, {Q(p.device), Q(p.stable_name), Q(p.description), Q(p.manufacturer), Q(p.serial_number)});
        item->setToolTip(0, Q(p.Name()));
    }
    if (!ports_.empty()) devices_->setCurrentItem(devices_->topLevelItem(0));
    message_->setText(ports_.empty() ? QStringLiteral("No serial device found. Plug the adapter in, then Refresh.")
                                     : QString());
    Follow();
}

void PortsDialog::SetPortNumber(int n) { port_number_->setCurrentIndex(n - 1); }

void PortsDialog::Follow() {
    const int n = port_number_->currentIndex() + 1;
    opens_now_->setText(opens_ ? QStringLiteral("(opens %1 now)").arg(Q(opens_(n))) : QString());
    connect_->setEnabled(devices_->currentItem() != nullptr);
}

void PortsDialog::Connect() {
    const int row = devices_->indexOfTopLevelItem(devices_->currentItem());
    if (row < 0 || row >= static_cast<int>(ports_.size()) || !choose_) return;
    const std::string why = choose_(port_number_->currentIndex() + 1, ports_[static_cast<size_t>(row)].Name());
    if (why.empty()) {
        accept();
        return;
    }
    message_->setText(Q(why));
    Follow();
}

}  // namespace orv::app
