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

}  // namespace orv::app
