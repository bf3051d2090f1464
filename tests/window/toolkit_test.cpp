// The toolkit layer: the field write rule, the catch around every handler and
// the application's event dispatch, and the error box itself.
#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>

#include <stdexcept>

#include "window_test.h"

class ToolkitTest : public QObject {
    Q_OBJECT

private slots:
    void writeFieldRunsHandlerInsideTheWrite();
    void writeFieldOfSameTextRaisesNothing();
    void guardedShowsWhatEscapes_data();
    void guardedShowsWhatEscapes();
    void eventDispatchCatches();
    void errorBox();
};

void ToolkitTest::writeFieldRunsHandlerInsideTheWrite() {
    QLineEdit field(QStringLiteral("15.0"));
    QStringList seen;
    QObject::connect(&field, &QLineEdit::textChanged, [&] { seen << field.text(); });
    toolkit::writeField(&field, "15.5");
    QCOMPARE(seen, QStringList{QStringLiteral("15.5")});  // before the write returned
}

void ToolkitTest::writeFieldOfSameTextRaisesNothing() {
    QLineEdit field(QStringLiteral("0.12"));
    QSignalSpy changes(&field, &QLineEdit::textChanged);
    toolkit::writeField(&field, "0.12");
    QCOMPARE(changes.count(), 0);
    toolkit::writeField(&field, "0.120");  // equal as numbers, not as texts
    QCOMPARE(changes.count(), 1);
}

void ToolkitTest::guardedShowsWhatEscapes_data() {
    QTest::addColumn<int>("thrown");
    QTest::addColumn<QString>("shown");
    QTest::newRow("std::exception") << 0 << "floating-point overflow";
    QTest::newRow("anything else") << 1 << "unknown error";
}

void ToolkitTest::guardedShowsWhatEscapes() {
    QFETCH(int, thrown);
    QFETCH(QString, shown);
    std::vector<std::string> messages;
    const auto previous = toolkit::setErrorPresenter(
        [&](const std::string& message) { messages.push_back(message); });
    toolkit::guarded([&] {
        if (thrown == 0)
            throw std::overflow_error("floating-point overflow");
        throw 42;
    });
    toolkit::setErrorPresenter(previous);
    QCOMPARE(messages, std::vector<std::string>{shown.toStdString()});
}

// What an event handler throws stops in Application::notify, shown, and the
// dispatch returns normally.
void ToolkitTest::eventDispatchCatches() {
    class Throwing : public QObject {
    public:
        bool event(QEvent*) override { throw std::runtime_error("handler failed"); }
    } receiver;
    std::vector<std::string> messages;
    const auto previous = toolkit::setErrorPresenter(
        [&](const std::string& message) { messages.push_back(message); });
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&receiver, &event);
    toolkit::setErrorPresenter(previous);
    QCOMPARE(messages, std::vector<std::string>{"handler failed"});
}

// The default display: a modal critical message box with the message as its
// text and no title of the program's own.
void ToolkitTest::errorBox() {
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        box->accept();
    });
    toolkit::presentError("floating-point division by zero");
    QCOMPARE(text, QStringLiteral("floating-point division by zero"));
    QCOMPARE(icon, QMessageBox::Critical);
    QVERIFY(title.isEmpty());
}

TERRAVEL_WINDOW_TEST_MAIN(ToolkitTest)
#include "toolkit_test.moc"
