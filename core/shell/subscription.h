#pragma once
// The console's listeners: whoever follows the console (the window, its plot
// windows, orvtool) is told once after each event. Adding one gives a
// handle; kept in a Subscription, the listener goes when the Subscription
// goes, so a window that closes cannot be told of an event after it.
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace orv {

class ListenerList {
   public:
    int Add(std::function<void()> listener);
    void Remove(int id);
    // A listener may remove itself or another while being told: this round
    // goes by the list as it was when it began.
    void Notify() const;

   private:
    std::vector<std::pair<int, std::function<void()>>> listeners_;
    int next_id_ = 0;
};

// Names one listener. Dropped, it leaves the listener in place for as long as
// the console lives; a Subscription made from it removes the listener.
class ListenerHandle {
   public:
    ListenerHandle(std::weak_ptr<ListenerList> list, int id) : list_(std::move(list)), id_(id) {}
   private:
    friend class Subscription;
    std::weak_ptr<ListenerList> list_;
    int id_;
};

class Subscription {
   public:
    Subscription() = default;
    // Implicit, so that `Subscription s = page.AddListener(...)` keeps it.
    Subscription(ListenerHandle handle) : list_(std::move(handle.list_)), id_(handle.id_) {}
    Subscription(Subscription&& other) noexcept : list_(std::move(other.list_)), id_(std::exchange(other.id_, 0)) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            Reset();
            list_ = std::move(other.list_);
            id_ = std::exchange(other.id_, 0);
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { Reset(); }

    // Removes the listener now; nothing when there is none, or when the
    // console has gone first.
    void Reset() {
        if (const auto list = list_.lock()) list->Remove(id_);
        list_.reset();
        id_ = 0;
    }
    explicit operator bool() const { return !list_.expired(); }

   private:
    std::weak_ptr<ListenerList> list_;
    int id_ = 0;
};

}  // namespace orv
