// The event recorder's step of the tick: capture or playback of one sample.
// Until the recorder is built, the step does nothing.
#include "core/shell/main_page.h"

namespace orv {

void Main_Page::RecorderStep() {}

}  // namespace orv
