#include "core/shell/subscription.h"

#include <algorithm>

namespace orv {

int ListenerList::Add(std::function<void()> listener) {
    listeners_.emplace_back(++next_id_, std::move(listener));
    return next_id_;
}

void ListenerList::Remove(int id) {
    std::erase_if(listeners_, [id](const auto& l) { return l.first == id; });
}

void ListenerList::Notify() const {
    const auto listeners = listeners_;
    for (const auto& [id, listener] : listeners) listener();
}

}  // namespace orv
