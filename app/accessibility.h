#pragma once
// The window through the desktop's accessibility interface, as a screen
// reader or a test tool drives it. Each control carries its accessible name;
// option buttons are radio buttons; and every accessibility action reaches
// the console by the same road as the user's own: pressing or toggling a
// button clicks it, and text set through the interface is typed into the box.
#include <map>
#include <string>

class QString;
class QWidget;

namespace orv::app {

// Names a control's widget for assistive technology and hands its buttons
// and text boxes to the interfaces below. Call before anything asks for the
// widget's interface: Qt keeps the first one it makes.
void MakeAccessible(QWidget* w, const std::string& control, const std::string& caption);

// Gives each control (by its name in the form) its tooltip from the table of
// accessible_names.h and keeps it as the one to fall back to: when whatever
// else set a tooltip (a reference's mark) clears it, this one comes back,
// and a grid cell without one of its own shows its grid's. The table
// output's tooltips follow the mode. The entries of `window`'s menus get
// theirs when the window is first shown.
void DescribeControls(QWidget* window, const std::map<std::string, QWidget*>& controls);

// A plot window (its name is its title) and a chart in it, for assistive
// technology.
void ExposeWindow(QWidget* w);
void ExposeChart(QWidget* view, const QString& name);

}  // namespace orv::app
