#pragma once

#include <QWidget>

namespace tarnvale::ui {

class WindowOwner;

// The empty dark-blue ground that fills the screen behind the program's windows for the whole
// run.
class Backform : public QWidget
{
    Q_OBJECT
public:
    explicit Backform(WindowOwner &owner, QWidget *parent = nullptr);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    WindowOwner &m_owner;
};

} // namespace tarnvale::ui
