#pragma once
// Support for the dialog tests: answering the windows a dialog opens over
// itself.
#include <functional>
#include <string>
#include <type_traits>

#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include "TempDir.h"

namespace morvanel_test {

// Runs act once on the next modal window of type W that comes to the front
// (the dialog's loop, a message box, a file chooser), or on the next pop-up
// menu when W is one.
template <class W>
void OnNextModal(std::function<void(W*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        QWidget* front = std::is_base_of_v<QMenu, W> ? QApplication::activePopupWidget()
                                                     : QApplication::activeModalWidget();
        W* window = qobject_cast<W*>(front);
        if (window == nullptr || !window->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        act(window);
    });
    timer->start();
}

// Answers every message box while it lives and keeps their texts.
struct MessageRecorder {
    QStringList texts;
    QTimer timer;
    MessageRecorder() {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible()) return;
            texts << box->text();
            box->accept();
        });
        timer.start();
    }
    int Count(const QString& part) const { return static_cast<int>(texts.filter(part).size()); }
};

}  // namespace morvanel_test
