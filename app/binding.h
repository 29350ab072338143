#pragma once
// Widgets bound to the form model. A user action goes to the control's User*
// method (which raises the console's handler), run as one event of the
// console; after every event the whole window is refreshed, and each binder
// touches its widget only where the model differs from it, with the widget's
// signals blocked. So a refresh never raises a handler, and a handler runs
// once per user action. The binding only translates: what a click or a key
// means for a control is the form model's to decide.
//
// "Differs" is decided against what the binder last applied for texts,
// captions, enabled and visible (only the binding sets those), and against the
// widget itself for what the user changes directly (checked, positions, the
// selected entry, the grid's top row).
#include <QtCore/qnamespace.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/form/controls.h"
#include "core/form/form.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSlider;
class QStatusBar;
class QTableWidget;
class QTimer;
class QWidget;

namespace orv::app {

// Where a grid's value cell keeps its mark (the reference's value) for
// whoever draws or reads the cell.
constexpr int kGridMarkRole = Qt::UserRole + 1;
// The grid widget's property naming the data row (1: the first) the log
// viewer's cursor stands on; its axis cell is drawn in the log cursor's colour.
constexpr const char* kGridLogRowProperty = "logRow";

class BarFace;
class DialFace;
class LineEdit;

class Binder {
   public:
    virtual ~Binder() = default;
    // Brings the widget up to the model; touches nothing that already agrees.
    virtual void Refresh() = 0;
};

class Binding {
   public:
    // Runs a user action as one event of the console, which refreshes the
    // window when the event is over.
    using EventRunner = std::function<void(const std::function<void()>&)>;
    explicit Binding(EventRunner run_event) : run_event_(std::move(run_event)) {}
    Binding(const Binding&) = delete;
    Binding& operator=(const Binding&) = delete;

    void Bind(form::Frame& c, QGroupBox* w);
    void Bind(form::Label& c, QLabel* w);
    void Bind(form::TextBox& c, LineEdit* w);
    void Bind(form::CommandButton& c, QPushButton* w);
    void Bind(form::OptionButton& c, QRadioButton* w);
    void Bind(form::CheckBox& c, QCheckBox* w);
    void Bind(form::ScrollBar& c, QScrollBar* w);
    void Bind(form::ComboBox& c, QComboBox* w);
    void Bind(form::Grid& c, QTableWidget* w);
    void Bind(form::Slider& c, QSlider* w);
    void Bind(form::ProgressBar& c, QProgressBar* w);
    void Bind(form::PictureBox& c, QWidget* w);
    // Line 0 of a needle is its centre line, 1 and 2 its flanks.
    void Bind(form::Line& c, DialFace* face, int part);
    void Bind(form::Shape& c, BarFace* face);
    // The timer follows the model's Interval at once, its Enabled only once
    // the window has armed it (after start-up, when the window is shown).
    void Bind(form::Timer& c, QTimer* t);
    static void ArmTimer(QTimer* t);
    void BindCaption(const std::string& caption, QWidget* window);
    // A text the window shows in its status bar until it changes.
    // The status bar: the console's message, coloured by how it is marked.
    void BindStatus(const form::Form& form, QStatusBar* bar);

    // A user action on a control: run it on the model as one event.
    void User(const std::function<void()>& action);
    // After a serial notification or a tick.
    void Refresh();
    bool refreshing() const { return refreshing_; }
    // The window is going away: no more user actions reach the model.
    void Close() { closed_ = true; }
    std::size_t size() const { return binders_.size(); }

   private:
    template <typename B, typename... A>
    void Add(A&&... args) {
        binders_.push_back(std::make_unique<B>(std::forward<A>(args)...));
    }
    EventRunner run_event_;
    std::vector<std::unique_ptr<Binder>> binders_;
    bool refreshing_ = false;
    bool again_ = false;
    bool closed_ = false;
};

}  // namespace orv::app
