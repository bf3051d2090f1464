// Terravel's start routine: open the main window and run until it closes.
// The command line is not read; the exit status is always 0.
#include <exception>
#include <memory>

#include "tform1.h"
#include "toolkit.h"

int main(int argc, char** argv) {
    try {
        toolkit::Application application(argc, argv);
        auto window = std::make_unique<TForm1>();
        Form1 = window.get();
        Form1->show();
        application.exec();
        Form1 = nullptr;
    } catch (const std::exception& error) {
        toolkit::presentError(error.what());
    } catch (...) {
        toolkit::presentError("unknown error");
    }
    return 0;
}
