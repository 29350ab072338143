// Comparing with a reference map: not in the original. The reference is read
// once and only read; the window asks which cells and settings differ.
#include "core/page/main_page.h"

namespace orv {

std::string Main_Page::CompareWith(const std::string& path) {
    EventScope event(*this);
    NoteEvent(EditEvent::Plain);
    MapReference ref;
    if (const std::string error = ReadReference(path, ref); !error.empty())
        return "Reference \"" + path + "\" not read: " + error;
    reference_ = std::move(ref);
    return {};
}

void Main_Page::StopComparing() {
    EventScope event(*this);
    NoteEvent(EditEvent::Plain);
    reference_.reset();
}

std::optional<std::string> Main_Page::ReferenceCell(int t, int row) const {
    if (!reference_) return std::nullopt;
    return ReferenceCellText(cal.mem_image, *reference_, Viewed(), t, row);
}

std::optional<std::string> Main_Page::ReferenceSetting(std::string_view control) const {
    if (!reference_) return std::nullopt;
    return ReferenceSettingText(cal.mem_image, *reference_, control);
}

std::string Main_Page::ReferenceStatusLine() const { return reference_ ? ReferenceStatus(cal.mem_image, *reference_) : std::string(); }

}  // namespace orv
