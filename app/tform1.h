// Terravel main window: the layout of its 65 controls and the handlers that
// connect them to the calculator.
#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace calculator {
enum class WriteKind;
}

class TForm1 : public QWidget {
    Q_OBJECT

public:
    // The controls, owned by the window through Qt's parent chain.
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label17 = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* Label19 = nullptr;
    QLabel* Label20 = nullptr;
    QLabel* Label21 = nullptr;
    QLabel* Label22 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit8 = nullptr;
    QLineEdit* Edit9 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label10 = nullptr;
    QLineEdit* Edit10 = nullptr;
    QLabel* Label23 = nullptr;
    QLineEdit* Edit11 = nullptr;
    QLabel* Label24 = nullptr;
    QLineEdit* Edit12 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label16 = nullptr;
    QLineEdit* Edit13 = nullptr;
    QLineEdit* Edit14 = nullptr;
    QLineEdit* Edit15 = nullptr;
    QLineEdit* Edit16 = nullptr;
    QLineEdit* Edit17 = nullptr;
    QLabel* Label25 = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label11 = nullptr;
    QLineEdit* Edit18 = nullptr;
    QLineEdit* Edit19 = nullptr;
    QLineEdit* Edit20 = nullptr;
    QLineEdit* Edit21 = nullptr;
    QLabel* Label12 = nullptr;
    QPushButton* Button1 = nullptr;
    QGroupBox* GroupBox5 = nullptr;
    QLineEdit* Edit22 = nullptr;
    QLineEdit* Edit23 = nullptr;
    QLineEdit* Edit24 = nullptr;
    QLineEdit* Edit25 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    QLineEdit* Edit26 = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label26 = nullptr;
    QLabel* Label27 = nullptr;
    QLabel* Label28 = nullptr;
    QLabel* Label29 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QLabel* Label30 = nullptr;

    // Handlers. Sender is the control that raised the event; none uses it.
    void Button2Click(QObject* Sender);
    void Edit1Change(QObject* Sender);
    void Button1Click(QObject* Sender);
    void Edit2Change(QObject* Sender);
    void Edit3Change(QObject* Sender);
    void Edit7Change(QObject* Sender);
    void Edit8Change(QObject* Sender);
    void Edit9Change(QObject* Sender);
    void Edit20Change(QObject* Sender);
    void Edit13Change(QObject* Sender);
    void Edit14Change(QObject* Sender);
    void Edit4Change(QObject* Sender);
    void Button3Click(QObject* Sender);
    void Button4Click(QObject* Sender);
    void FormCreate(QObject* Sender);
    void Restore(QObject* Sender);

    // Builds the window from its layout, connects the handlers and runs
    // FormCreate; the window is shown by the caller.
    explicit TForm1(QWidget* parent = nullptr);

    // The edit field EditN for N = `edit` (1 to 26).
    QLineEdit* editField(int edit) const;

private:
    void buildWindow();
    void buildButtons();
    void buildAtmosphericConditions();
    void buildGroundSurfaceConditions();
    void buildRadiation();
    void buildHeatFlux();
    void buildHeatBalance();
    void bindMembers();
    void setTabOrderFromLayout();
    void connectHandlers();

    void inputChanged(int edit);
    void writeFields(calculator::WriteKind kind);
};

// The main window of the running program.
extern TForm1* Form1;
