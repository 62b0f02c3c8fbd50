#pragma once
// Support for the dialog tests: answering the windows a dialog opens over
// itself.
#include <functional>
#include <string>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include "TempDir.h"

namespace morvanel_test {

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
