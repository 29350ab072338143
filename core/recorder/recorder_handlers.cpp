// The event recorder's step of the tick: capture or playback of one sample.
// Until the recorder is built, the step does nothing.
#include "core/shell/main_page.h"

namespace orv {

void Main_Page::RecorderStep() {}
void Main_Page::record_Click() {}
void Main_Page::play_Click() {}
void Main_Page::timeadj_Click() {}
void Main_Page::Stop_Click() {}
void Main_Page::timesel_Scroll() {}
void Main_Page::save_Click() {}
void Main_Page::load_Click() {}

}  // namespace orv
