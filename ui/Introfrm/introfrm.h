#pragma once

#include "ui/common/infowindow.h"

#include <QString>

class QPlainTextEdit;
class QPushButton;

namespace tarnvale::ui {

// The introduction to the theory: where the matrix comes from, what its entries mean, and how
// the finite rate of increase is found.
QString BuildIntroductionText();

// The window behind the main window's title.
class Introfrm : public InfoWindow
{
    Q_OBJECT
public:
    explicit Introfrm(WindowOwner &owner, QWidget *parent = nullptr);

    void Form_Load();

private:
    void buildUi();

    QPlainTextEdit *Text1 = nullptr;
    QPushButton *Command1 = nullptr;
};

} // namespace tarnvale::ui
