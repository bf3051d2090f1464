// Terravel's start routine: open the main window and run until it closes.
// The command line is not read; the exit status is always 0.
#include <exception>
#include <memory>
#include <optional>

#include "tform1.h"
#include "toolkit.h"

int main(int argc, char** argv) {
    // Declared outside the try block so that the error box can still be
    // shown with it when the window's creation or the event loop fails.
    std::optional<toolkit::Application> application;
    try {
        application.emplace(argc, argv);
        auto window = std::make_unique<TForm1>();
        Form1 = window.get();
        Form1->show();
        application->exec();
        Form1 = nullptr;
    } catch (const std::exception& error) {
        Form1 = nullptr;
        toolkit::presentError(error.what());
    } catch (...) {
        Form1 = nullptr;
        toolkit::presentError("unknown error");
    }
    return 0;
}
