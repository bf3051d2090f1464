#include "window_test.h"

#include <QLocale>

#include <clocale>
#include <cstring>

namespace window_test {

QStringList fieldTexts(const TForm1& form) {
    QStringList texts;
    for (int edit = 1; edit <= 26; ++edit)
        texts << form.editField(edit)->text();
    return texts;
}

QStringList startTexts() {
    QStringList texts(26, QStringLiteral("***"));
    const std::pair<int, const char*> inputs[] = {
        {1, "15.0"},   {2, "60.0"}, {3, "2.0"},    {4, "1033.2"}, {7, "0.10"},
        {8, "0.00100"}, {9, "0.20"}, {13, "300.0"}, {14, "300.0"}, {20, "50.0"},
    };
    for (const auto& [edit, text] : inputs)
        texts[edit - 1] = QString::fromUtf8(text);
    return texts;
}

void type(QLineEdit* field, Typing how, const QString& text) {
    QTest::mouseClick(field, Qt::LeftButton);
    switch (how) {
    case Typing::OverAll:
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        break;
    case Typing::IntoEmptied:
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Delete);
        break;
    case Typing::InFront:
        QTest::keyClick(field, Qt::Key_Home);
        break;
    }
    QTest::keyClicks(field, text);
}

bool sameBits(const calculator::WorkValues& a, const calculator::WorkValues& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void WindowTest::init() {
    errors.clear();
    previous_ = toolkit::setErrorPresenter(
        [this](const std::string& message) { errors.push_back(message); });
    calculator::Work = {};
    calculator::Memory = {};
    form = std::make_unique<TForm1>();
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
}

void WindowTest::cleanup() {
    form.reset();
    toolkit::setErrorPresenter(previous_);
    // A test that expects an error checks and clears the record itself.
    if (!errors.empty())
        QFAIL(("unexpected error: " + errors.front()).c_str());
}

namespace {
bool germanAsked = false;
}

bool germanCLocale() {
    const char* numeric = std::setlocale(LC_NUMERIC, nullptr);
    return germanAsked && numeric != nullptr && std::strncmp(numeric, "de_DE", 5) == 0;
}

int run(QObject& test, int argc, char** argv) {
    if (qEnvironmentVariable("TERRAVEL_TEST_LOCALE") == QLatin1String("de_DE")) {
        germanAsked = true;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr)
            qWarning("de_DE.UTF-8 is not installed: only Qt's locale is German");
    }
    return QTest::qExec(&test, argc, argv);
}

}  // namespace window_test
