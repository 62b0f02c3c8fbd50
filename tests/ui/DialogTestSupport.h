#pragma once
// Support for the dialog tests: the system and home folders in a temporary
// folder, and answering the windows a dialog opens over itself.
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "TempDir.h"

namespace morvanel_test {

// MORVANEL_HOME and HOME inside dir while the object lives.
class DialogHome {
public:
    explicit DialogHome(const TempDir& dir) : home_(Get("HOME")), system_(Get("MORVANEL_HOME")) {
        std::filesystem::create_directories(dir.path() / "home");
        ::setenv("HOME", (dir.path() / "home").c_str(), 1);
        ::setenv("MORVANEL_HOME", (dir.path() / "system").c_str(), 1);
    }
    ~DialogHome() {
        Restore("HOME", home_);
        Restore("MORVANEL_HOME", system_);
    }
    DialogHome(const DialogHome&) = delete;
    DialogHome& operator=(const DialogHome&) = delete;

private:
    static std::optional<std::string> Get(const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    }
    static void Restore(const char* name, const std::optional<std::string>& value) {
        if (value) ::setenv(name, value->c_str(), 1);
        else ::unsetenv(name);
    }
    std::optional<std::string> home_;
    std::optional<std::string> system_;
};

// Runs act once on the next modal window of type W that comes to the front
// (the dialog's loop, a message box, a file chooser).
template <class W>
void OnNextModal(std::function<void(W*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        W* window = qobject_cast<W*>(QApplication::activeModalWidget());
        if (window == nullptr || !window->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        act(window);
    });
    timer->start();
}

}  // namespace morvanel_test
