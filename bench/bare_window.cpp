// Baselines of the start-up benchmark: a bare Qt window of the calculator's
// size with nothing in it, and (built with BARE_WINDOW_TEXT) the same window
// with one line of text, which makes Qt load its font system.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.setFixedSize(641, 492);
    window.move(299, 182);
#ifdef BARE_WINDOW_TEXT
    QLabel label(QStringLiteral("air temperature (degree)"), &window);
#endif
    window.show();
    return application.exec();
}
