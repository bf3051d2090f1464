// Shared fixture of the window tests: a fresh calculator state and a new main
// window for every test, shown on Qt's offscreen platform, with the error
// display replaced by a recorder.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QObject>
#include <QPushButton>
#include <QStringList>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "calculator.h"
#include "tform1.h"
#include "toolkit.h"

namespace window_test {

// The texts of Edit1 .. Edit26, in that order.
QStringList fieldTexts(const TForm1& form);

// The field texts after start: the defaults and "***" in every result field.
QStringList startTexts();

// How a test types into a field, as a user would after clicking into it.
enum class Typing {
    OverAll,       // select all, then type: the first key replaces the text
    IntoEmptied,   // select all, delete, then type
    InFront,       // Home, then type before the text
};

void type(QLineEdit* field, Typing how, const QString& text);

// All working values bit for bit equal.
bool sameBits(const calculator::WorkValues& a, const calculator::WorkValues& b);

// Base of every window test class. Qt Test runs the derived class's private
// slots as tests and this init()/cleanup() around each.
class WindowTest : public QObject {
    Q_OBJECT

protected:
    std::unique_ptr<TForm1> form;
    std::vector<std::string> errors;  // what the error display was given

    void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

private slots:
    void init();
    void cleanup();

private:
    toolkit::ErrorPresenter previous_;
};

// Runs a test class with the program's own application object. When
// TERRAVEL_TEST_LOCALE is de_DE, Qt's default locale and the C library's
// number locale are German first.
int run(QObject& test, int argc, char** argv);

// True when the German locale was asked for and the C library has it.
bool germanCLocale();

}  // namespace window_test

// Compares two doubles exactly (QCOMPARE compares them fuzzily).
#define COMPARE_EXACTLY(actual, expected)                                            \
    QVERIFY2((actual) == (expected),                                                 \
             qPrintable(QStringLiteral("%1 is not exactly %2")                       \
                            .arg(double(actual), 0, 'g', 17)                         \
                            .arg(double(expected), 0, 'g', 17)))

#define TERRAVEL_WINDOW_TEST_MAIN(TestClass)                      \
    int main(int argc, char** argv) {                             \
        toolkit::Application application(argc, argv);             \
        TestClass test;                                           \
        return window_test::run(test, argc, argv);                \
    }
