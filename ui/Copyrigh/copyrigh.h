#pragma once

#include "ui/common/infowindow.h"

#include <QString>

class QLabel;
class QPushButton;

namespace tarnvale::ui {

// The texts rebuilt each time the closing notice loads; `year` is the current year (four digits).
// The citation request with the program's citation line.
QString BuildCitationText(int year);
// Where newer versions of the program can be had: three numbered places.
QString BuildNewVersionText();
// The copyright line.
QString BuildNoticeLine(int year);

// The closing notice shown by "Quit": terms of use, rights, where to get new versions and how to
// cite the program. "OK" goes on to the dedication; closing it by its frame means "not yet": back
// to the main window, with the analysis as it was.
class Copyrigh : public InfoWindow
{
    Q_OBJECT
public:
    explicit Copyrigh(WindowOwner &owner, QWidget *parent = nullptr);

    void Form_Load();
    void cmdCommand1_Click();

private:
    void buildUi();

    QLabel *picPicture1 = nullptr;
    QLabel *lblLabel1 = nullptr;
    QLabel *lblLabel2 = nullptr;
    QLabel *lblLabel3 = nullptr;
    QLabel *lblLabel4 = nullptr;
    QLabel *lblLabel5 = nullptr;
    QLabel *lblLabel6 = nullptr;
    QLabel *lblLabel7 = nullptr;
    QPushButton *cmdCommand1 = nullptr;
};

} // namespace tarnvale::ui
