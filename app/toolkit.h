// Terravel toolkit layer: the few things the window needs of Qt beyond its
// widgets, kept in one place.
//
// - writeField: the one way the program writes a field's text. An unchanged
//   text is left alone and raises nothing; a new text is set and the field's
//   textChanged runs its change handler at once, nested inside the write.
// - guarded: runs a handler and shows any exception that escapes it with the
//   error display, so that no exception ever reaches Qt's event loop. Every
//   handler connection and Application::notify go through it.
// - The error display is replaceable, so tests can record what it would show.
#pragma once

#include <QApplication>

#include <functional>
#include <string>

class QLineEdit;

namespace toolkit {

// Shows an error message to the user.
using ErrorPresenter = std::function<void(const std::string& message)>;

// The modal error box: QMessageBox::critical with the message as its text and
// no title of its own, so the application's default name stands there.
void showErrorBox(const std::string& message);

// Installs `presenter` as the error display and returns the previous one.
ErrorPresenter setErrorPresenter(ErrorPresenter presenter);

// Shows `message` with the current error display.
void presentError(const std::string& message);

// Runs `handler`; an exception escaping it is shown with the error display
// and goes no further.
void guarded(const std::function<void()>& handler);

// Writes `text` into `field` unless the field already shows exactly that text.
void writeField(QLineEdit* field, const std::string& text);

// The application object: a QApplication whose event dispatch catches what a
// handler throws and shows it, instead of letting it unwind through Qt.
class Application : public QApplication {
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace toolkit
