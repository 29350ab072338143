#pragma once
// The program's one look: a dark panel, light text, amber accents, Verdana
// (DejaVu Sans where it is not installed). It is the whole program's, so
// dialogs, tooltips, menus and drop-down lists wear it as the window does.
#include <QColor>

namespace orv::app {

// Sets the style, font, palette and style sheet of the running application;
// setting them again changes nothing.
void ApplyProgramLook();

// The colours text is measured against.
inline const QColor kPanel(38, 41, 46);
inline const QColor kText(228, 228, 224);
inline const QColor kAmber(240, 176, 48);

}  // namespace orv::app
