// The baseline of the start-up benchmark: a bare Qt window of the calculator's
// size, with nothing in it.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.setFixedSize(641, 492);
    window.move(299, 182);
    window.show();
    return application.exec();
}
