#pragma once

#include "ui/common/infowindow.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace tarnvale::ui {

// The dedication, the last window of the program: its button ends the run, and so does closing
// it by its frame; it is never discarded.
class Vater : public InfoWindow
{
    Q_OBJECT
public:
    explicit Vater(WindowOwner &owner, QWidget *parent = nullptr);

    void Form_Load();
    void Command1_Click() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildUi();

    QGroupBox *Frame1 = nullptr;
    QLabel *Picture2 = nullptr;
    QPushButton *Command1 = nullptr;
};

} // namespace tarnvale::ui
