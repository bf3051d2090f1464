// The main window as laid out: its frame, every control's place, caption and
// kind, and the member that refers to each control.
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

#include "window_test.h"

class LayoutTest : public window_test::WindowTest {
    Q_OBJECT

private slots:
    void window();
    void controls_data();
    void controls();
    void labelsStandClearOfFields();
    void fields_data();
    void fields();
    void members();
};

void LayoutTest::window() {
    QCOMPARE(form->windowTitle(), QStringLiteral("Terravel"));
    QCOMPARE(form->pos(), QPoint(299, 182));
    QCOMPARE(form->size(), QSize(641, 492));
    QCOMPARE(form->minimumSize(), QSize(641, 492));
    QCOMPARE(form->maximumSize(), QSize(641, 492));

    const Qt::WindowFlags flags = form->windowFlags();
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));  // only the buttons asked for
    QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));

    // The icon holds every render of the artwork, and a title bar at scale 2
    // gets the 64-pixel render itself, not the 32-pixel one enlarged.
    const QIcon icon = form->windowIcon();
    QList<QSize> sizes = icon.availableSizes();
    std::sort(sizes.begin(), sizes.end(),
              [](QSize a, QSize b) { return a.width() < b.width(); });
    const QList<QSize> renders{QSize(16, 16), QSize(24, 24),   QSize(32, 32),  QSize(48, 48),
                               QSize(64, 64), QSize(128, 128), QSize(256, 256)};
    QCOMPARE(sizes, renders);
    QImage doubled = icon.pixmap(QSize(32, 32), 2.0).toImage();
    doubled.setDevicePixelRatio(1.0);
    const QImage render64(QStringLiteral(":/icons/64.png"));
    QVERIFY(!render64.isNull());
    QCOMPARE(doubled.size(), QSize(64, 64));
    QCOMPARE(doubled.convertToFormat(QImage::Format_ARGB32_Premultiplied),
             render64.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

// Labels size themselves to their text, so only their place is fixed: their
// width and height are given as 0 here.
void LayoutTest::controls_data() {
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry");

    struct Row {
        const char* name;
        const char* parent;
        const char* caption;
        QRect geometry;
    };
    const Row rows[] = {
        {"Button1", "", "calculate", {16, 456, 417, 25}},
        {"Button4", "", "memory", {448, 456, 49, 25}},
        {"Button3", "", "restore", {512, 456, 49, 25}},
        {"Button2", "", "exit", {576, 456, 49, 25}},
        {"GroupBox1", "", "Atmospheric conditions", {16, 8, 297, 177}},
        {"GroupBox2", "", "Ground surface conditions", {328, 8, 297, 177}},
        {"GroupBox3", "", "Radiation", {16, 200, 297, 153}},
        {"GroupBox4", "", "Heat flux", {328, 200, 297, 153}},
        {"GroupBox5", "", "Heat balance", {16, 368, 609, 73}},

        {"Label17", "GroupBox1", "air temperature (degree)", {16, 32, 0, 0}},
        {"Label18", "GroupBox1", "relative humidity (%)", {16, 56, 0, 0}},
        {"Label19", "GroupBox1", "wind velocity (m/s)", {16, 80, 0, 0}},
        {"Label20", "GroupBox1", "atmospheric pressure (hPa)", {16, 104, 0, 0}},
        {"Label21", "GroupBox1", "vaper pressure (hPa)", {16, 128, 0, 0}},
        {"Label22", "GroupBox1", "specific humidity (kg/kg)", {16, 152, 0, 0}},
        {"Edit1", "GroupBox1", "", {200, 24, 81, 21}},
        {"Edit2", "GroupBox1", "", {200, 48, 81, 21}},
        {"Edit3", "GroupBox1", "", {200, 72, 81, 21}},
        {"Edit4", "GroupBox1", "", {200, 96, 81, 21}},
        {"Edit5", "GroupBox1", "", {200, 120, 81, 21}},
        {"Edit6", "GroupBox1", "", {200, 144, 81, 21}},

        {"Label1", "GroupBox2", "albedo", {16, 32, 0, 0}},
        {"Label2", "GroupBox2", "bulk transfer coefficient", {16, 56, 0, 0}},
        {"Label3", "GroupBox2", "evaporative efficiency", {16, 80, 0, 0}},
        {"Label30", "GroupBox2", "β", {128, 80, 0, 0}},
        {"Label10", "GroupBox2", "ground surface temperature (degree)", {16, 104, 0, 0}},
        {"Label23", "GroupBox2", "saturated vapor pressure (hPa)", {16, 128, 0, 0}},
        {"Label24", "GroupBox2", "saturated specific fumidity (kg/kg)", {16, 152, 0, 0}},
        {"Edit7", "GroupBox2", "", {200, 24, 81, 21}},
        {"Edit8", "GroupBox2", "", {200, 48, 81, 21}},
        {"Edit9", "GroupBox2", "", {200, 72, 81, 21}},
        {"Edit10", "GroupBox2", "", {200, 96, 81, 21}},
        {"Edit11", "GroupBox2", "", {200, 120, 81, 21}},
        {"Edit12", "GroupBox2", "", {200, 144, 81, 21}},

        {"Label7", "GroupBox3", "solar radiation (W/m2)", {16, 32, 0, 0}},
        {"Label8", "GroupBox3", "atmospheric radiation (W/m2)", {16, 56, 0, 0}},
        {"Label9", "GroupBox3", "upward short wave radiation (W/m2)", {16, 80, 0, 0}},
        {"Label16", "GroupBox3", "upward long wave radiation (W/m2)", {16, 104, 0, 0}},
        {"Label25", "GroupBox3", "net radiation (W/m2)", {16, 128, 0, 0}},
        {"Edit13", "GroupBox3", "", {200, 24, 81, 21}},
        {"Edit14", "GroupBox3", "", {200, 48, 81, 21}},
        {"Edit15", "GroupBox3", "", {200, 72, 81, 21}},
        {"Edit16", "GroupBox3", "", {200, 96, 81, 21}},
        {"Edit17", "GroupBox3", "", {200, 120, 81, 21}},

        {"Label4", "GroupBox4", "sensible heat flux (W/m2)", {16, 32, 0, 0}},
        {"Label5", "GroupBox4", "latent heat flux (W/m2)", {16, 56, 0, 0}},
        {"Label11", "GroupBox4", "ground heat flux (W/m2)", {16, 80, 0, 0}},
        {"Label14", "GroupBox4", "bowen ratio", {16, 104, 0, 0}},
        {"Label12", "GroupBox4", "evaporation (mm/day)", {16, 128, 0, 0}},
        {"Edit18", "GroupBox4", "", {200, 24, 81, 21}},
        {"Edit19", "GroupBox4", "", {200, 48, 81, 21}},
        {"Edit20", "GroupBox4", "", {200, 72, 81, 21}},
        {"Edit21", "GroupBox4", "", {200, 96, 81, 21}},
        {"Edit26", "GroupBox4", "", {200, 120, 81, 21}},

        {"Edit22", "GroupBox5", "", {40, 24, 97, 21}},
        {"Label27", "GroupBox5", "=", {160, 24, 0, 0}},
        {"Edit23", "GroupBox5", "", {192, 24, 97, 21}},
        {"Label28", "GroupBox5", "+", {304, 24, 0, 0}},
        {"Edit24", "GroupBox5", "", {328, 24, 97, 21}},
        {"Label29", "GroupBox5", "+", {440, 24, 0, 0}},
        {"Edit25", "GroupBox5", "", {464, 24, 97, 21}},
        {"Label6", "GroupBox5", "net radiation", {56, 48, 0, 0}},
        {"Label13", "GroupBox5", "sensible heat", {208, 48, 0, 0}},
        {"Label15", "GroupBox5", "latent heat", {344, 48, 0, 0}},
        {"Label26", "GroupBox5", "ground heat", {480, 48, 0, 0}},
    };
    for (const Row& row : rows)
        QTest::newRow(row.name) << QString::fromUtf8(row.parent) << QString::fromUtf8(row.caption)
                                << row.geometry;
}

void LayoutTest::controls() {
    QFETCH(QString, parent);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);

    const QString name = QString::fromUtf8(QTest::currentDataTag());
    auto* widget = form->findChild<QWidget*>(name);
    QVERIFY(widget != nullptr);
    QCOMPARE(widget->parentWidget(), parent.isEmpty() ? form.get() : form->findChild<QWidget*>(parent));

    if (auto* label = qobject_cast<QLabel*>(widget)) {
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->pos(), geometry.topLeft());
        QCOMPARE(label->size(), label->sizeHint());
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));
        return;
    }
    QCOMPARE(widget->geometry(), geometry);
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        QCOMPARE(button->text(), caption);  // no accelerator: no '&'
        QVERIFY(!button->isDefault());
        QVERIFY(!button->autoDefault());
    } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        QCOMPARE(box->title(), caption);
        QCOMPARE(box->focusPolicy(), Qt::NoFocus);
    }
}

// A label sized to its text must stay beside the fields of its line, and the
// β must follow "evaporative efficiency", not overlap it.
void LayoutTest::labelsStandClearOfFields() {
    const QList<QLabel*> labels = form->findChildren<QLabel*>();
    QCOMPARE(labels.size(), 30);
    for (QLabel* label : labels) {
        const QRect box = label->parentWidget()->rect();
        QVERIFY2(box.contains(label->geometry()), qPrintable(label->objectName()));
        for (QLineEdit* field : label->parentWidget()->findChildren<QLineEdit*>())
            QVERIFY2(!label->geometry().intersects(field->geometry()),
                     qPrintable(label->objectName() + QStringLiteral(" overlaps ") + field->objectName()));
    }
    QVERIFY(form->Label3->geometry().right() < form->Label30->geometry().left());
}

void LayoutTest::fields_data() {
    QTest::addColumn<bool>("input");
    QTest::addColumn<QString>("accessibleName");

    struct Row {
        const char* name;
        bool input;
        const char* accessibleName;
    };
    const Row rows[] = {
        {"Edit1", true, "air temperature (degree)"},
        {"Edit2", true, "relative humidity (%)"},
        {"Edit3", true, "wind velocity (m/s)"},
        {"Edit4", true, "atmospheric pressure (hPa)"},
        {"Edit5", false, "vaper pressure (hPa)"},
        {"Edit6", false, "specific humidity (kg/kg)"},
        {"Edit7", true, "albedo"},
        {"Edit8", true, "bulk transfer coefficient"},
        {"Edit9", true, "evaporative efficiency β"},
        {"Edit10", false, "ground surface temperature (degree)"},
        {"Edit11", false, "saturated vapor pressure (hPa)"},
        {"Edit12", false, "saturated specific fumidity (kg/kg)"},
        {"Edit13", true, "solar radiation (W/m2)"},
        {"Edit14", true, "atmospheric radiation (W/m2)"},
        {"Edit15", false, "upward short wave radiation (W/m2)"},
        {"Edit16", false, "upward long wave radiation (W/m2)"},
        {"Edit17", false, "net radiation (W/m2)"},
        {"Edit18", false, "sensible heat flux (W/m2)"},
        {"Edit19", false, "latent heat flux (W/m2)"},
        {"Edit20", true, "ground heat flux (W/m2)"},
        {"Edit21", false, "bowen ratio"},
        {"Edit22", false, "net radiation"},
        {"Edit23", false, "sensible heat"},
        {"Edit24", false, "latent heat"},
        {"Edit25", false, "ground heat"},
        {"Edit26", false, "evaporation (mm/day)"},
    };
    for (const Row& row : rows)
        QTest::newRow(row.name) << row.input << QString::fromUtf8(row.accessibleName);
}

// Input fields: editable, tab stops, no input method. Read-only fields:
// button-face background, focus by click only.
void LayoutTest::fields() {
    QFETCH(bool, input);
    QFETCH(QString, accessibleName);

    auto* field = form->findChild<QLineEdit*>(QString::fromUtf8(QTest::currentDataTag()));
    QVERIFY(field != nullptr);
    QCOMPARE(field->accessibleName(), accessibleName);
    QCOMPARE(field->alignment() & Qt::AlignHorizontal_Mask, Qt::Alignment(Qt::AlignLeft));
    QVERIFY(field->placeholderText().isEmpty());

    const QPalette palette = field->palette();
    QCOMPARE(field->isReadOnly(), !input);
    if (input) {
        QCOMPARE(field->focusPolicy(), Qt::StrongFocus);
        QVERIFY(!field->testAttribute(Qt::WA_InputMethodEnabled));
        QVERIFY(palette.color(QPalette::Base) != palette.color(QPalette::Button));
    } else {
        QCOMPARE(field->focusPolicy(), Qt::ClickFocus);
        QCOMPARE(palette.color(QPalette::Base), palette.color(QPalette::Button));
    }
}

// Each member refers to the control of its own name, and there are exactly
// 26 fields, 30 labels, 5 group boxes and 4 buttons.
void LayoutTest::members() {
#define MEMBER(name) std::pair<const char*, QWidget*>(#name, form->name)
    const std::pair<const char*, QWidget*> members[] = {
        MEMBER(GroupBox1), MEMBER(GroupBox2), MEMBER(GroupBox3), MEMBER(GroupBox4),
        MEMBER(GroupBox5), MEMBER(Button1),   MEMBER(Button2),   MEMBER(Button3),
        MEMBER(Button4),   MEMBER(Label1),    MEMBER(Label2),    MEMBER(Label3),
        MEMBER(Label4),    MEMBER(Label5),    MEMBER(Label6),    MEMBER(Label7),
        MEMBER(Label8),    MEMBER(Label9),    MEMBER(Label10),   MEMBER(Label11),
        MEMBER(Label12),   MEMBER(Label13),   MEMBER(Label14),   MEMBER(Label15),
        MEMBER(Label16),   MEMBER(Label17),   MEMBER(Label18),   MEMBER(Label19),
        MEMBER(Label20),   MEMBER(Label21),   MEMBER(Label22),   MEMBER(Label23),
        MEMBER(Label24),   MEMBER(Label25),   MEMBER(Label26),   MEMBER(Label27),
        MEMBER(Label28),   MEMBER(Label29),   MEMBER(Label30),   MEMBER(Edit1),
        MEMBER(Edit2),     MEMBER(Edit3),     MEMBER(Edit4),     MEMBER(Edit5),
        MEMBER(Edit6),     MEMBER(Edit7),     MEMBER(Edit8),     MEMBER(Edit9),
        MEMBER(Edit10),    MEMBER(Edit11),    MEMBER(Edit12),    MEMBER(Edit13),
        MEMBER(Edit14),    MEMBER(Edit15),    MEMBER(Edit16),    MEMBER(Edit17),
        MEMBER(Edit18),    MEMBER(Edit19),    MEMBER(Edit20),    MEMBER(Edit21),
        MEMBER(Edit22),    MEMBER(Edit23),    MEMBER(Edit24),    MEMBER(Edit25),
        MEMBER(Edit26),
    };
#undef MEMBER
    for (const auto& [name, widget] : members) {
        QVERIFY2(widget != nullptr, name);
        QCOMPARE(widget->objectName(), QString::fromUtf8(name));
    }
    for (int edit = 1; edit <= 26; ++edit)
        QCOMPARE(form->editField(edit)->objectName(), QStringLiteral("Edit%1").arg(edit));
    QCOMPARE(form->findChildren<QLineEdit*>().size(), 26);
    QCOMPARE(form->findChildren<QLabel*>().size(), 30);
    QCOMPARE(form->findChildren<QGroupBox*>().size(), 5);
    QCOMPARE(form->findChildren<QPushButton*>().size(), 4);
}

TERRAVEL_WINDOW_TEST_MAIN(LayoutTest)
#include "layout_test.moc"
