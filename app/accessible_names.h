#pragma once
// What assistive technology (a screen reader, a test tool) calls each control
// of the window. A control with a caption is called by its caption; the
// table names the rest: read-outs, gauges and bars by their quantity and
// unit, scroll bars and boxes by what they set, and the button whose caption
// is a sign.
#include <string>

namespace orv::app {

// The accessible name of a control, by the control's name as the form lists
// it ("rpm", "datatable(3)"), given its caption ("" if it has none). Blanks
// around a caption are dropped. Labels are not in the table: they read
// their caption as it changes.
std::string AccessibleName(const std::string& control, const std::string& caption);

// The tooltip of a control or a menu entry (by the action's objectName):
// what it does or shows, and in the unit the window shows it in; "" for a
// name the table does not know. The table output boxes say whose value they
// show: the live operating point's in monitor mode, the selected rows' in
// edit mode.
std::string ToolTip(const std::string& control, bool edit_mode = false);

// The accessible name of a table's curve in the plot windows ("Engine speed
// table curve") and of a timeline panel by its title.
std::string CurveName(int table);

}  // namespace orv::app
