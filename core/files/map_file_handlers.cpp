// Map files: the whole calibration image saved to and loaded from disk, and
// the printable report written beside every saved map.
#include "core/shell/main_page.h"

namespace orv {

void Main_Page::loadmem_Click() {}
void Main_Page::savemem_Click() {}

}  // namespace orv
