#include "FieldReturn.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

class ReturnApplies : public QObject {
public:
    ReturnApplies(std::function<void()> apply, QObject* parent) : QObject(parent), apply_(std::move(apply)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
        apply_();
        return true;
    }

private:
    std::function<void()> apply_;
};

}  // namespace

void OnFieldReturn(QLineEdit* field, std::function<void()> apply) {
    field->installEventFilter(new ReturnApplies(std::move(apply), field));
}
