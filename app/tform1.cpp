#include "tform1.h"

#include <QDir>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <span>
#include <utility>
#include <vector>

#include "calculator.h"
#include "toolkit.h"

TForm1* Form1 = nullptr;

namespace {

// ---------------------------------------------------------------------------
// The layout. Positions and sizes are in pixels at 96 dpi (Qt scales them on
// other screens); a control in a group box is placed relative to the group
// box's top-left corner, the group boxes and buttons in the client area.

enum class Kind {
    GroupBox,
    Button,
    Label,     // 12-pixel text
    Sign,      // the =, + of the heat-balance line, 16 pixels
    Symbol,    // the β after "evaporative efficiency"
    Input,     // editable, a tab stop, with a change handler
    ReadOnly,  // read-only, button-face background, reached by click only
};

struct Control {
    const char* name;
    const char* caption;  // for an edit field: the working value it shows
    int left, top, width, height;
    Kind kind;
    int tabOrder = -1;               // place among its siblings; -1: none
    const char* labelledBy = nullptr;  // edit field: its labels, space-separated
};

struct Group {
    Control frame;
    std::span<const Control> contents;
};

constexpr Control kButtons[] = {
    {"Button1", "calculate", 16, 456, 417, 25, Kind::Button, 0},
    {"Button4", "memory", 448, 456, 49, 25, Kind::Button, 1},
    {"Button3", "restore", 512, 456, 49, 25, Kind::Button, 2},
    {"Button2", "exit", 576, 456, 49, 25, Kind::Button, 3},
};

constexpr Control kAtmosphericConditions[] = {
    {"Label17", "air temperature (degree)", 16, 32, 112, 13, Kind::Label},
    {"Label18", "relative humidity (%)", 16, 56, 92, 13, Kind::Label},
    {"Label19", "wind velocity (m/s)", 16, 80, 88, 13, Kind::Label},
    {"Label20", "atmospheric pressure (hPa)", 16, 104, 128, 13, Kind::Label},
    {"Label21", "vaper pressure (hPa)", 16, 128, 98, 13, Kind::Label},
    {"Label22", "specific humidity (kg/kg)", 16, 152, 115, 13, Kind::Label},
    {"Edit1", "Ta", 200, 24, 81, 21, Kind::Input, 0, "Label17"},
    {"Edit2", "rh", 200, 48, 81, 21, Kind::Input, 1, "Label18"},
    {"Edit3", "u", 200, 72, 81, 21, Kind::Input, 2, "Label19"},
    {"Edit4", "pa", 200, 96, 81, 21, Kind::Input, 3, "Label20"},
    {"Edit5", "ea", 200, 120, 81, 21, Kind::ReadOnly, 4, "Label21"},
    {"Edit6", "qa", 200, 144, 81, 21, Kind::ReadOnly, 5, "Label22"},
};

constexpr Control kGroundSurfaceConditions[] = {
    {"Label1", "albedo", 16, 32, 32, 13, Kind::Label},
    {"Label2", "bulk transfer coefficient", 16, 56, 110, 13, Kind::Label},
    {"Label3", "evaporative efficiency", 16, 80, 104, 13, Kind::Label},
    {"Label30", "β", 128, 80, 7, 15, Kind::Symbol},
    {"Label10", "ground surface temperature (degree)", 16, 104, 172, 13, Kind::Label},
    {"Label23", "saturated vapor pressure (hPa)", 16, 128, 145, 13, Kind::Label},
    {"Label24", "saturated specific fumidity (kg/kg)", 16, 152, 159, 13, Kind::Label},
    {"Edit7", "albedo", 200, 24, 81, 21, Kind::Input, 0, "Label1"},
    {"Edit8", "ch", 200, 48, 81, 21, Kind::Input, 1, "Label2"},
    {"Edit9", "beta", 200, 72, 81, 21, Kind::Input, 2, "Label3 Label30"},
    {"Edit10", "Ts", 200, 96, 81, 21, Kind::ReadOnly, 3, "Label10"},
    {"Edit11", "es", 200, 120, 81, 21, Kind::ReadOnly, 4, "Label23"},
    {"Edit12", "qs", 200, 144, 81, 21, Kind::ReadOnly, 5, "Label24"},
};

constexpr Control kRadiation[] = {
    {"Label7", "solar radiation (W/m2)", 16, 32, 104, 13, Kind::Label},
    {"Label8", "atmospheric radiation (W/m2)", 16, 56, 139, 13, Kind::Label},
    {"Label9", "upward short wave radiation (W/m2)", 16, 80, 172, 13, Kind::Label},
    {"Label16", "upward long wave radiation (W/m2)", 16, 104, 169, 13, Kind::Label},
    {"Label25", "net radiation (W/m2)", 16, 128, 97, 13, Kind::Label},
    {"Edit13", "Rs", 200, 24, 81, 21, Kind::Input, 0, "Label7"},
    {"Edit14", "Ld", 200, 48, 81, 21, Kind::Input, 1, "Label8"},
    {"Edit15", "Rsu", 200, 72, 81, 21, Kind::ReadOnly, 2, "Label9"},
    {"Edit16", "Lu", 200, 96, 81, 21, Kind::ReadOnly, 3, "Label16"},
    {"Edit17", "Rn", 200, 120, 81, 21, Kind::ReadOnly, 4, "Label25"},
};

constexpr Control kHeatFlux[] = {
    {"Label4", "sensible heat flux (W/m2)", 16, 32, 120, 13, Kind::Label},
    {"Label5", "latent heat flux (W/m2)", 16, 56, 108, 13, Kind::Label},
    {"Label11", "ground heat flux (W/m2)", 16, 80, 115, 13, Kind::Label},
    {"Label14", "bowen ratio", 16, 104, 55, 13, Kind::Label},
    {"Label12", "evaporation (mm/day)", 16, 128, 103, 13, Kind::Label},
    {"Edit18", "H", 200, 24, 81, 21, Kind::ReadOnly, 0, "Label4"},
    {"Edit19", "lE", 200, 48, 81, 21, Kind::ReadOnly, 1, "Label5"},
    {"Edit20", "G", 200, 72, 81, 21, Kind::Input, 2, "Label11"},
    {"Edit21", "bowen", 200, 96, 81, 21, Kind::ReadOnly, 3, "Label14"},
    {"Edit26", "evap", 200, 120, 81, 21, Kind::ReadOnly, 4, "Label12"},
};

// One line that reads as net radiation = sensible + latent + ground heat.
constexpr Control kHeatBalance[] = {
    {"Edit22", "Rn", 40, 24, 97, 21, Kind::ReadOnly, 0, "Label6"},
    {"Label27", "=", 160, 24, 9, 20, Kind::Sign},
    {"Edit23", "H", 192, 24, 97, 21, Kind::ReadOnly, 1, "Label13"},
    {"Label28", "+", 304, 24, 9, 20, Kind::Sign},
    {"Edit24", "lE", 328, 24, 97, 21, Kind::ReadOnly, 2, "Label15"},
    {"Label29", "+", 440, 24, 9, 20, Kind::Sign},
    {"Edit25", "G", 464, 24, 97, 21, Kind::ReadOnly, 3, "Label26"},
    {"Label6", "net radiation", 56, 48, 58, 13, Kind::Label},
    {"Label13", "sensible heat", 208, 48, 62, 13, Kind::Label},
    {"Label15", "latent heat", 344, 48, 50, 13, Kind::Label},
    {"Label26", "ground heat", 480, 48, 57, 13, Kind::Label},
};

const Group kGroups[] = {
    {{"GroupBox1", "Atmospheric conditions", 16, 8, 297, 177, Kind::GroupBox, 4},
     kAtmosphericConditions},
    {{"GroupBox2", "Ground surface conditions", 328, 8, 297, 177, Kind::GroupBox, 5},
     kGroundSurfaceConditions},
    {{"GroupBox3", "Radiation", 16, 200, 297, 153, Kind::GroupBox, 6}, kRadiation},
    {{"GroupBox4", "Heat flux", 328, 200, 297, 153, Kind::GroupBox, 7}, kHeatFlux},
    {{"GroupBox5", "Heat balance", 16, 368, 609, 73, Kind::GroupBox, 8}, kHeatBalance},
};

enum GroupIndex {
    kAtmosphericGroup,
    kGroundSurfaceGroup,
    kRadiationGroup,
    kHeatFluxGroup,
    kHeatBalanceGroup
};

constexpr int kClientWidth = 641;
constexpr int kClientHeight = 492;
constexpr QPoint kWindowPosition{299, 182};

// Title bar: system menu with its close button, and minimise; no maximise.
constexpr Qt::WindowFlags kWindowFlags =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

// The controls' face. The layout was drawn for a bitmap sans-serif face whose
// text lines are 13 pixels high and whose signs are 9 pixels wide; Liberation
// Sans (Arial's widths) gives those cells at 11 and 15 pixels, and its texts
// then fit the layout's label widths to within a few per cent. DejaVu Sans,
// wider, is the last resort.
constexpr int kTextPixels = 11;
constexpr int kSignPixels = 15;

QFont face(int pixels) {
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    return font;
}

// The window icon from every render of the artwork that the resource holds,
// each at its own size.
QIcon applicationIcon() {
    QIcon icon;
    const QDir renders(QStringLiteral(":/icons"));
    for (const QString& name : renders.entryList({QStringLiteral("*.png")}, QDir::Files))
        icon.addFile(renders.filePath(name));
    return icon;
}

void setBlackText(QWidget* widget) {
    QPalette palette = widget->palette();
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, Qt::black);
    widget->setPalette(palette);
}

QLineEdit* makeField(const Control& control, QWidget* parent) {
    // The layout's own text, the field's name, stands until FormCreate
    // replaces it; the change handlers are connected after it is set.
    auto* field = new QLineEdit(QString::fromUtf8(control.name), parent);
    field->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (control.kind == Kind::Input) {
        // Digits go straight in, never through an input method.
        field->setAttribute(Qt::WA_InputMethodEnabled, false);
    } else {
        field->setReadOnly(true);
        field->setFocusPolicy(Qt::ClickFocus);
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        field->setPalette(palette);
    }
    return field;
}

QWidget* makeControl(const Control& control, QWidget* parent) {
    const QString caption = QString::fromUtf8(control.caption);
    QWidget* widget = nullptr;
    switch (control.kind) {
    case Kind::GroupBox:
        widget = new QGroupBox(caption, parent);
        widget->setFont(face(kTextPixels));
        setBlackText(widget);
        break;
    case Kind::Button: {
        auto* button = new QPushButton(caption, parent);
        button->setAutoDefault(false);  // Enter clicks nothing
        button->setDefault(false);
        button->setFont(face(kTextPixels));
        setBlackText(button);
        widget = button;
        break;
    }
    case Kind::Label:
    case Kind::Sign:
    case Kind::Symbol: {
        auto* label = new QLabel(caption, parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (control.kind == Kind::Sign)
            label->setFont(face(kSignPixels));
        widget = label;
        break;
    }
    case Kind::Input:
    case Kind::ReadOnly:
        widget = makeField(control, parent);
        break;
    }
    widget->setObjectName(QString::fromUtf8(control.name));
    // A label sizes itself to its text in its font; the layout's width and
    // height are those its text takes in the face the layout was drawn with.
    const bool sizesItself = qobject_cast<QLabel*>(widget) != nullptr;
    widget->setGeometry(QRect(QPoint(control.left, control.top),
                              sizesItself ? widget->sizeHint()
                                          : QSize(control.width, control.height)));
    return widget;
}

// The group box of `group` with its contents; each edit field is named for
// assistive tools by the texts of its labels.
QGroupBox* makeGroup(const Group& group, QWidget* window) {
    auto* box = static_cast<QGroupBox*>(makeControl(group.frame, window));
    for (const Control& control : group.contents)
        makeControl(control, box);
    for (const Control& control : group.contents) {
        if (control.labelledBy == nullptr)
            continue;
        QStringList texts;
        for (const QString& name : QString::fromUtf8(control.labelledBy).split(u' '))
            texts << box->findChild<QLabel*>(name)->text();
        box->findChild<QLineEdit*>(QString::fromUtf8(control.name))
            ->setAccessibleName(texts.join(u' '));
    }
    return box;
}

// The members EditN, LabelN, GroupBoxN and ButtonN, indexed by N - 1.
constexpr std::array<QLineEdit* TForm1::*, 26> kEdits{
    &TForm1::Edit1,  &TForm1::Edit2,  &TForm1::Edit3,  &TForm1::Edit4,  &TForm1::Edit5,
    &TForm1::Edit6,  &TForm1::Edit7,  &TForm1::Edit8,  &TForm1::Edit9,  &TForm1::Edit10,
    &TForm1::Edit11, &TForm1::Edit12, &TForm1::Edit13, &TForm1::Edit14, &TForm1::Edit15,
    &TForm1::Edit16, &TForm1::Edit17, &TForm1::Edit18, &TForm1::Edit19, &TForm1::Edit20,
    &TForm1::Edit21, &TForm1::Edit22, &TForm1::Edit23, &TForm1::Edit24, &TForm1::Edit25,
    &TForm1::Edit26,
};
constexpr std::array<QLabel* TForm1::*, 30> kLabels{
    &TForm1::Label1,  &TForm1::Label2,  &TForm1::Label3,  &TForm1::Label4,  &TForm1::Label5,
    &TForm1::Label6,  &TForm1::Label7,  &TForm1::Label8,  &TForm1::Label9,  &TForm1::Label10,
    &TForm1::Label11, &TForm1::Label12, &TForm1::Label13, &TForm1::Label14, &TForm1::Label15,
    &TForm1::Label16, &TForm1::Label17, &TForm1::Label18, &TForm1::Label19, &TForm1::Label20,
    &TForm1::Label21, &TForm1::Label22, &TForm1::Label23, &TForm1::Label24, &TForm1::Label25,
    &TForm1::Label26, &TForm1::Label27, &TForm1::Label28, &TForm1::Label29, &TForm1::Label30,
};
constexpr std::array<QGroupBox* TForm1::*, 5> kGroupBoxes{
    &TForm1::GroupBox1, &TForm1::GroupBox2, &TForm1::GroupBox3, &TForm1::GroupBox4,
    &TForm1::GroupBox5,
};
constexpr std::array<QPushButton* TForm1::*, 4> kPushButtons{
    &TForm1::Button1, &TForm1::Button2, &TForm1::Button3, &TForm1::Button4,
};

template <class Widget, std::size_t N>
void bind(TForm1& form, const std::array<Widget* TForm1::*, N>& members, const char* prefix) {
    for (std::size_t i = 0; i < N; ++i) {
        const QString name = QString::fromUtf8(prefix) + QString::number(i + 1);
        form.*members[i] = form.findChild<Widget*>(name);
        Q_ASSERT_X(form.*members[i] != nullptr, "TForm1", "control missing from the layout");
    }
}

using Handler = void (TForm1::*)(QObject*);

// The input fields' change handlers, by edit field number.
constexpr std::pair<int, Handler> kChangeHandlers[] = {
    {1, &TForm1::Edit1Change},   {2, &TForm1::Edit2Change},   {3, &TForm1::Edit3Change},
    {4, &TForm1::Edit4Change},   {7, &TForm1::Edit7Change},   {8, &TForm1::Edit8Change},
    {9, &TForm1::Edit9Change},   {13, &TForm1::Edit13Change}, {14, &TForm1::Edit14Change},
    {20, &TForm1::Edit20Change},
};

// Connects `signal` of `sender` to `handler`, dispatched through the error
// display's catch so that nothing a handler throws reaches the event loop.
template <class Sender, class Signal>
void connectHandler(TForm1* form, Sender* sender, Signal signal, Handler handler) {
    QObject::connect(sender, signal, form, [form, sender, handler] {
        toolkit::guarded([&] { (form->*handler)(sender); });
    });
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent, kWindowFlags) {
    buildWindow();
    buildButtons();
    buildAtmosphericConditions();
    buildGroundSurfaceConditions();
    buildRadiation();
    buildHeatFlux();
    buildHeatBalance();
    bindMembers();
    setTabOrderFromLayout();
    connectHandlers();
    toolkit::guarded([this] { FormCreate(this); });
}

QLineEdit* TForm1::editField(int edit) const {
    return this->*kEdits.at(static_cast<std::size_t>(edit - 1));
}

// ---------------------------------------------------------------------------
// Building

void TForm1::buildWindow() {
    setWindowTitle(QStringLiteral("Terravel"));
    setWindowIcon(applicationIcon());
    setFont(face(kTextPixels));
    setFixedSize(kClientWidth, kClientHeight);
    move(kWindowPosition);
}

void TForm1::buildButtons() {
    for (const Control& control : kButtons)
        makeControl(control, this);
}

void TForm1::buildAtmosphericConditions() {
    makeGroup(kGroups[kAtmosphericGroup], this);
}

void TForm1::buildGroundSurfaceConditions() {
    makeGroup(kGroups[kGroundSurfaceGroup], this);
}

void TForm1::buildRadiation() {
    makeGroup(kGroups[kRadiationGroup], this);
}

void TForm1::buildHeatFlux() {
    makeGroup(kGroups[kHeatFluxGroup], this);
}

void TForm1::buildHeatBalance() {
    makeGroup(kGroups[kHeatBalanceGroup], this);
}

void TForm1::bindMembers() {
    bind(*this, kEdits, "Edit");
    bind(*this, kLabels, "Label");
    bind(*this, kGroupBoxes, "GroupBox");
    bind(*this, kPushButtons, "Button");
}

// The focus chain follows the layout's tab orders: the window's children by
// theirs, each group box's fields by theirs within it. Read-only fields stand
// in the chain but take focus by click only, so Tab passes over them.
void TForm1::setTabOrderFromLayout() {
    struct Place {
        int outer, inner;
        QWidget* widget;
    };
    std::vector<Place> places;
    for (const Control& control : kButtons)
        places.push_back({control.tabOrder, 0, findChild<QWidget*>(QString::fromUtf8(control.name))});
    for (const Group& group : kGroups)
        for (const Control& control : group.contents)
            if (control.tabOrder >= 0)
                places.push_back({group.frame.tabOrder, control.tabOrder,
                                  findChild<QWidget*>(QString::fromUtf8(control.name))});
    std::ranges::sort(places, {}, [](const Place& p) { return std::pair(p.outer, p.inner); });
    for (std::size_t i = 1; i < places.size(); ++i)
        setTabOrder(places[i - 1].widget, places[i].widget);
    Button1->setFocus();
}

void TForm1::connectHandlers() {
    for (const auto& [edit, handler] : kChangeHandlers)
        connectHandler(this, editField(edit), &QLineEdit::textChanged, handler);
    connectHandler(this, Button1, &QPushButton::clicked, &TForm1::Button1Click);
    connectHandler(this, Button2, &QPushButton::clicked, &TForm1::Button2Click);
    connectHandler(this, Button3, &QPushButton::clicked, &TForm1::Button3Click);
    connectHandler(this, Button4, &QPushButton::clicked, &TForm1::Button4Click);
}

// ---------------------------------------------------------------------------
// Handlers

void TForm1::FormCreate(QObject* Sender) {
    calculator::setDefaults(calculator::Memory);
    Restore(Sender);
}

void TForm1::Restore(QObject* /*Sender*/) {
    calculator::restoreInputs(calculator::Memory, calculator::Work);
    writeFields(calculator::WriteKind::Restore);
}

void TForm1::Button3Click(QObject* Sender) {
    Restore(Sender);
}

void TForm1::Button4Click(QObject* /*Sender*/) {
    calculator::remember(calculator::Work, calculator::Memory);
}

void TForm1::Button1Click(QObject* /*Sender*/) {
    calculator::calculate(calculator::Work);
    writeFields(calculator::WriteKind::Calculate);
}

void TForm1::Button2Click(QObject* /*Sender*/) {
    std::exit(0);
}

void TForm1::Edit1Change(QObject* /*Sender*/) { inputChanged(1); }
void TForm1::Edit2Change(QObject* /*Sender*/) { inputChanged(2); }
void TForm1::Edit3Change(QObject* /*Sender*/) { inputChanged(3); }
void TForm1::Edit4Change(QObject* /*Sender*/) { inputChanged(4); }
void TForm1::Edit7Change(QObject* /*Sender*/) { inputChanged(7); }
void TForm1::Edit8Change(QObject* /*Sender*/) { inputChanged(8); }
void TForm1::Edit9Change(QObject* /*Sender*/) { inputChanged(9); }
void TForm1::Edit13Change(QObject* /*Sender*/) { inputChanged(13); }
void TForm1::Edit14Change(QObject* /*Sender*/) { inputChanged(14); }
void TForm1::Edit20Change(QObject* /*Sender*/) { inputChanged(20); }

// The handler's own field, whatever raised the event.
void TForm1::inputChanged(int edit) {
    calculator::applyInputText(*calculator::inputForEdit(edit), editField(edit)->text().toStdString(),
                               calculator::Work);
}

// The 26 writes, in their fixed order, each value read as its write comes.
void TForm1::writeFields(calculator::WriteKind kind) {
    for (const calculator::FieldWrite& write : calculator::kWriteOrder)
        toolkit::writeField(editField(write.edit),
                            calculator::fieldText(write, calculator::Work, kind));
}
