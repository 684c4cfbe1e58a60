#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

namespace tarnvale::ui {

class WindowOwner;

// The literature list: six references, one paragraph each, separated by an empty line.
QString BuildReferenceList();

// The references window; a click on its free area returns to the main window as "OK" does.
class Referenc : public QWidget
{
    Q_OBJECT
public:
    explicit Referenc(WindowOwner &owner, QWidget *parent = nullptr);

    void Form_Load();
    void Command1_Click();
    void Form_Click();
    void Form_Unload();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildUi();

    WindowOwner &m_owner;

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *Command1 = nullptr;
};

} // namespace tarnvale::ui
