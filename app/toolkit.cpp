#include "toolkit.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QStyleFactory>

#include <cstdio>
#include <exception>
#include <utility>

namespace toolkit {

namespace {

ErrorPresenter& presenter() {
    static ErrorPresenter current = showErrorBox;
    return current;
}

}  // namespace

void showErrorBox(const std::string& message) {
    if (QApplication::instance() == nullptr) {
        // No application object to show a box with (it failed to start).
        std::fprintf(stderr, "%s\n", message.c_str());
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QString(),
                          QString::fromStdString(message));
}

ErrorPresenter setErrorPresenter(ErrorPresenter next) {
    return std::exchange(presenter(), std::move(next));
}

void presentError(const std::string& message) {
    presenter()(message);
}

void guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        presentError(error.what());
    } catch (...) {
        presentError("unknown error");
    }
}

void writeField(QLineEdit* field, const std::string& text) {
    const QString next = QString::fromStdString(text);
    if (field->text() == next)
        return;
    field->setText(next);  // emits textChanged before it returns
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    // One look on every desktop: the layout is in fixed pixels and Fusion's
    // frames fit its 21-pixel fields.
    setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

bool Application::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    guarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

}  // namespace toolkit
