#pragma once
// The window through the desktop's accessibility interface, as a screen
// reader or a test tool drives it. Each control carries its accessible name;
// option buttons are radio buttons; and every accessibility action reaches
// the console by the same road as the user's own: pressing or toggling a
// button clicks it, and text set through the interface is typed into the box.
#include <string>

class QWidget;

namespace orv::app {

// Names a control's widget for assistive technology and hands its buttons
// and text boxes to the interfaces below. Call before anything asks for the
// widget's interface: Qt keeps the first one it makes.
void MakeAccessible(QWidget* w, const std::string& control, const std::string& caption);

}  // namespace orv::app
