#pragma once

#include "ui/common/infowindow.h"

class QLabel;
class QPushButton;

namespace tarnvale::ui {

// The picture quiz: questions on the matrix, its characteristic equation and the population
// parameters, all in one picture.
class Quiz : public InfoWindow
{
    Q_OBJECT
public:
    explicit Quiz(WindowOwner &owner, QWidget *parent = nullptr);

    void Form_Load();

private:
    void buildUi();

    QLabel *Image1 = nullptr;
    QPushButton *Command1 = nullptr;
};

} // namespace tarnvale::ui
