#pragma once

#include <QString>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace tarnvale::ui {

class WindowOwner;

// The introduction to the theory: where the matrix comes from, what its entries mean, and how
// the finite rate of increase is found.
QString BuildIntroductionText();

// The window behind the main window's title.
class Introfrm : public QWidget
{
    Q_OBJECT
public:
    explicit Introfrm(WindowOwner &owner, QWidget *parent = nullptr);

    void Form_Load();
    void Command1_Click();
    void Form_Unload();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildUi();

    WindowOwner &m_owner;

    QPlainTextEdit *Text1 = nullptr;
    QPushButton *Command1 = nullptr;
};

} // namespace tarnvale::ui
