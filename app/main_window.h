#pragma once
// The console's window, Main_Page: one widget per control of the form, in
// the control's frame, bound to the model. Every widget's objectName is its
// control's name as the form lists it ("rpm", "datatable(3)", "HScroll1(0)").
// Needles and bars have no widget of their own: their dial or bar face draws
// them. Three sources of events reach the console, and after each the window
// is refreshed: the user's actions (through the binding), the serial port's
// notifications and the 100 ms tick of Timer1.
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/binding.h"
#include "core/link/serial_port.h"

namespace orv {
class Main_Page;
}

namespace orv::app {

class BarFace;
class DialFace;

class MainWindow : public QMainWindow {
   public:
    explicit MainWindow(Main_Page& console, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Brings every widget up to the model (after start-up, before showing).
    void Refresh();
    // Starts Timer1 as the model sets it (100 ms); until then nothing ticks.
    void StartTimer();

    // The widget of a control, by the control's name; nullptr if none.
    QWidget* Control(const std::string& name) const;
    template <typename T>
    T* ControlAs(const std::string& name) const {
        return dynamic_cast<T*>(Control(name));
    }
    Binding& binding() { return *binding_; }
    QTimer& timer() { return timer_; }

   private:
    void CreateControls();
    void LayOut();
    void ApplyLook();
    void Tick();

    Main_Page& console_;
    std::unique_ptr<Binding> binding_;
    std::map<std::string, QWidget*> widgets_;
    QTimer timer_;
    std::function<void(CommEvent)> console_on_comm_;
};

}  // namespace orv::app
