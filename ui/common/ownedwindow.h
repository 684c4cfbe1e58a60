#pragma once

#include <QWidget>

namespace tarnvale::ui {

class WindowOwner;

// A window that the WindowOwner builds on first use and discards when it is closed through its
// frame. Such a close is accepted, runs Form_Unload (the window hides and brings back the one it
// returns to), and then the owner forgets the window and deletes it, so that the next time it is
// needed it is built afresh and its Form_Load runs again.
class OwnedWindow : public QWidget
{
    Q_OBJECT
public:
    explicit OwnedWindow(WindowOwner &owner, QWidget *parent = nullptr);

    // What a close through the frame does before the window is discarded: back to the main
    // window, unless the window returns elsewhere.
    virtual void Form_Unload();

protected:
    void closeEvent(QCloseEvent *event) override;

    WindowOwner &m_owner;
};

} // namespace tarnvale::ui
