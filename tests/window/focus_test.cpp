// Keyboard focus: where it starts, the Tab cycle, read-only fields reached by
// click only, and which keys press a button.
#include <QPushButton>

#include "window_test.h"

class FocusTest : public window_test::WindowTest {
    Q_OBJECT

private slots:
    void startsOnCalculate();
    void tabCycle();
    void backtabCycle();
    void readOnlyFieldTakesClick_data();
    void readOnlyFieldTakesClick();
    void enterPressesNothing();
    void spacePressesFocusedButton();

private:
    QString focusName() const {
        QWidget* focus = QApplication::focusWidget();
        return focus != nullptr ? focus->objectName() : QStringLiteral("(none)");
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
};

namespace {
const QStringList kCycle = {
    "Button1", "Button4", "Button3", "Button2", "Edit1",  "Edit2",  "Edit3",
    "Edit4",   "Edit7",   "Edit8",   "Edit9",   "Edit13", "Edit14", "Edit20",
};
}

void FocusTest::startsOnCalculate() {
    QCOMPARE(focusName(), QStringLiteral("Button1"));
}

void FocusTest::tabCycle() {
    for (qsizetype step = 1; step <= kCycle.size(); ++step) {
        press(Qt::Key_Tab);
        QCOMPARE(focusName(), kCycle[step % kCycle.size()]);
    }
}

void FocusTest::backtabCycle() {
    for (qsizetype step = 1; step <= kCycle.size(); ++step) {
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(focusName(), kCycle[(kCycle.size() - step) % kCycle.size()]);
    }
}

void FocusTest::readOnlyFieldTakesClick_data() {
    QTest::addColumn<int>("edit");
    QTest::addColumn<QString>("nextTabStop");
    QTest::newRow("Edit5") << 5 << "Edit7";
    QTest::newRow("Edit21") << 21 << "Button1";
    QTest::newRow("Edit25") << 25 << "Button1";
}

// A click puts the caret into a read-only field and its text can be selected;
// Tab then goes on to the next tab stop after it.
void FocusTest::readOnlyFieldTakesClick() {
    QFETCH(int, edit);
    QFETCH(QString, nextTabStop);

    QLineEdit* field = form->editField(edit);
    click(field);
    QCOMPARE(QApplication::focusWidget(), field);
    press(Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(field->selectedText(), QStringLiteral("***"));
    press(Qt::Key_Tab);
    QCOMPARE(focusName(), nextTabStop);
}

// No button is a default button: Enter in a field or on a focused button
// calculates nothing.
void FocusTest::enterPressesNothing() {
    press(Qt::Key_Return);
    click(form->Edit1);
    press(Qt::Key_Return);
    press(Qt::Key_Enter);
    QCOMPARE(window_test::fieldTexts(*form), window_test::startTexts());
}

void FocusTest::spacePressesFocusedButton() {
    press(Qt::Key_Space);
    QCOMPARE(form->Edit16->text(), QStringLiteral("466.6"));
}

TERRAVEL_WINDOW_TEST_MAIN(FocusTest)
#include "focus_test.moc"
