#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace tarnvale::ui {

class WindowOwner;

// The picture quiz: questions on the matrix, its characteristic equation and the population
// parameters, all in one picture.
class Quiz : public QWidget
{
    Q_OBJECT
public:
    explicit Quiz(WindowOwner &owner, QWidget *parent = nullptr);

    void Form_Load();
    void Command1_Click();
    void Form_Unload();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildUi();

    WindowOwner &m_owner;

    QLabel *Image1 = nullptr;
    QPushButton *Command1 = nullptr;
};

} // namespace tarnvale::ui
