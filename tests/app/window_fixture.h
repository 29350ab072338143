#pragma once
// The console started in an empty folder (no config.dat: no port, an empty
// image), its window shown on the offscreen platform.
#include <gtest/gtest.h>

#include <QWidget>
#include <filesystem>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "core/page/main_page.h"
#include "tests/support/fake_port.h"

namespace orv::app::test {

// How often a handler of the console ran from the moment of wrapping.
class RunCount {
   public:
    template <typename... A>
    explicit RunCount(std::function<void(A...)>& h) {
        h = [inner = h, n = n_](A... a) {
            ++*n;
            if (inner) inner(a...);
        };
    }
    int operator*() const { return *n_; }

   private:
    std::shared_ptr<int> n_ = std::make_shared<int>(0);
};

class WindowTest : public ::testing::Test {
   protected:
    WindowTest();
    ~WindowTest() override;

    template <typename T>
    T* Widget(const std::string& name) {
        T* w = window->ControlAs<T>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // Edit mode, chosen as the user would (it enables the settings frames).
    void EnterEditMode();
    void Click(const std::string& name);

    std::filesystem::path dir;
    orv::test::FakePort port;
    Main_Page console{port, dir};
    std::unique_ptr<MainWindow> window;

   private:
    std::filesystem::path previous_dir_;
};

}  // namespace orv::app::test
