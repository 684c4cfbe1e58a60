#pragma once

#include "core/search.h"
#include "core/state.h"
#include "io/lifetable.h"

#include <QWidget>

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tarnvale::ui {

class ClickLabel;
class LineControl;
class WindowOwner;

// The main window: the 4 x 4 matrix, the characteristic equation, the bracket and bisection
// table, and the buttons that step through the analysis or open the other windows.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(WindowOwner &owner, QWidget *parent = nullptr);

    // Start-up, run once before anything is shown.
    void Form_Load();

    // Matrix editor.
    void m_Change(int index);
    void m_KeyPress(int index, int keyAscii);
    void Text2_Change();
    void Text3_Change();

    // Analysis buttons.
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command11_Click();
    void Command12_Click();

    // Buttons and labels that move between windows.
    void Label4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Command10_Click();
    void Command13_Click();
    void Command14_Click();
    void Command15_Click();
    void Command16_Click();

    // The texts of the 16 matrix cells, as the computations read them.
    CellTexts cellTexts() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildUi();
    void buildMatrixFrame();
    void buildEquationArea();
    void buildTrialArea();
    void buildBisectionTable();
    void buildButtons();
    void orderTabs();
    void nameControls();
    void connectHandlers();
    void setCellText(int index, const std::string &text);
    BracketTexts bracketTexts() const;
    void showAcceptedRoot(const std::string &caption, const CellTexts &cells);
    void readDataFile(TableFormat format);

    WindowOwner &m_owner;
    AnalysisState &m_state;

    QGroupBox *Frame1 = nullptr;
    std::array<QLineEdit *, 16> m {};
    std::array<LineControl *, 6> Line {};
    ClickLabel *Label4 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label8 = nullptr;
    QLabel *Label9 = nullptr;
    QLabel *Label10 = nullptr;
    QLabel *Label11 = nullptr;
    QLabel *Label12 = nullptr;
    QLabel *Label13 = nullptr;
    QLabel *Label14 = nullptr;
    QLabel *Label15 = nullptr;
    QLabel *Label16 = nullptr;
    QLabel *Label18 = nullptr;
    QLabel *Label19 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text3 = nullptr;
    QLineEdit *Text4 = nullptr;
    QLineEdit *Text5 = nullptr;
    QLineEdit *Text6 = nullptr;
    QLineEdit *Text7 = nullptr;
    QLineEdit *Text8 = nullptr;
    QLineEdit *Text9 = nullptr;
    QLineEdit *Text10 = nullptr;
    QLineEdit *Text11 = nullptr;
    QLineEdit *Text12 = nullptr;
    QLineEdit *Text13 = nullptr;
    QLabel *Picture1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *Command7 = nullptr;
    QPushButton *Command8 = nullptr;
    QPushButton *Command9 = nullptr;
    QPushButton *Command10 = nullptr;
    QPushButton *Command11 = nullptr;
    QPushButton *Command12 = nullptr;
    QPushButton *Command13 = nullptr;
    QPushButton *Command14 = nullptr;
    QPushButton *Command15 = nullptr;
    QPushButton *Command16 = nullptr;
};

} // namespace tarnvale::ui
