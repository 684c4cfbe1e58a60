#pragma once

#include "ui/common/infowindow.h"

#include <QString>

class QLabel;
class QPushButton;

namespace tarnvale::ui {

// The literature list: six references, one paragraph each, separated by an empty line.
QString BuildReferenceList();

// The references window; a click on its free area returns to the main window as "OK" does.
class Referenc : public InfoWindow
{
    Q_OBJECT
public:
    explicit Referenc(WindowOwner &owner, QWidget *parent = nullptr);

    void Form_Load();
    void Form_Click();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void buildUi();

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *Command1 = nullptr;
};

} // namespace tarnvale::ui
