#pragma once

#include "ui/common/infowindow.h"

#include <QString>

#include <array>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tarnvale::ui {

class ClickLabel;

// The help on data files shown under "Data analysis": how to write a life table in either format
// and which button opens it.
QString BuildHelpText();

// The help window: the steps of a basic run and how to analyse one's own data.
class Howto : public InfoWindow
{
    Q_OBJECT
public:
    explicit Howto(WindowOwner &owner, QWidget *parent = nullptr);

    void Form_Load();
    // Each line returns to the main window as "OK" does.
    void Label1_Click(int index);

private:
    void buildUi();
    void connectHandlers();

    QLabel *Label2 = nullptr;
    std::array<ClickLabel *, 8> Label1 {};
    QLabel *Label3 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    QPushButton *Command1 = nullptr;
};

} // namespace tarnvale::ui
