#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QPushButton;

namespace tarnvale::ui {

class WindowOwner;

// The dedication, the last window of the program: its button ends the run.
class Vater : public QWidget
{
    Q_OBJECT
public:
    explicit Vater(WindowOwner &owner, QWidget *parent = nullptr);

    void Form_Load();
    void Command1_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildUi();

    WindowOwner &m_owner;

    QGroupBox *Frame1 = nullptr;
    QLabel *Picture2 = nullptr;
    QPushButton *Command1 = nullptr;
};

} // namespace tarnvale::ui
