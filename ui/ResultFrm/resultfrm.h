#pragma once

#include "core/statistics.h"
#include "ui/common/ownedwindow.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnvale::ui {

// "Population parameters": the finite and intrinsic rates of increase, the net reproductive
// rate, the mean generation time, the doubling time and the birth, survival and death rates at
// the stable age distribution of the last accepted root. Closed through its frame it goes back
// to the main window; the next "Results" builds it afresh.
class ResultFrm : public OwnedWindow
{
    Q_OBJECT
public:
    explicit ResultFrm(WindowOwner &owner, QWidget *parent = nullptr);

    // "Back to the main form".
    void Command1_Click();
    // "Further analysis".
    void Command2_Click();

    // Writes the eight boxes; the window stays as it is, shown or not.
    void showParameters(const PopulationParameterTexts &texts);

private:
    void buildUi();

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label8 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text3 = nullptr;
    QLineEdit *Text4 = nullptr;
    QLineEdit *Text5 = nullptr;
    QLineEdit *Text6 = nullptr;
    QLineEdit *Text7 = nullptr;
    QLineEdit *Text8 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
};

} // namespace tarnvale::ui
