#pragma once

#include <QWidget>

#include <array>
#include <optional>

class QTimer;

namespace tarnvale {
struct AnalysisState;
}

namespace tarnvale::ui {

class ClickLabel;
class WindowOwner;

// What one tick of the title animation does: the copy of the word to hide, and the copy to show
// in its place (none in the blank frame).
struct TitleFrame
{
    int hide = 0;
    std::optional<int> show;
};

// Advances the title animation by one tick: TitlePhase runs 1, 2, ..., 8, 0, 1, ... (frame 8 shows
// no copy), and TitleShownLabel records the copy shown. Values outside 0 ... 8 (0 ... 7 for the
// copy) never occur; they would show or hide nothing.
TitleFrame AdvanceTitle(AnalysisState &state);

// The title splash: the program's name rises and grows through eight copies of the word, and the
// first key or click gives way to the main window.
class titlform : public QWidget
{
    Q_OBJECT
public:
    explicit titlform(WindowOwner &owner, QWidget *parent = nullptr);

    void Form_Load();
    void Timer1_Timer();

    // Dismissal: each hides the splash and shows the main window.
    void Form_KeyPress(int keyAscii);
    void Form_Click();
    void Form_DblClick();
    void Label1_Click(int index);
    void Label1_DblClick(int index);
    void Label2_Click();
    void Label2_DblClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildUi();
    void connectHandlers();
    void dismiss();

    WindowOwner &m_owner;
    AnalysisState &m_state;

    std::array<ClickLabel *, 8> Label1 {};
    ClickLabel *Label2 = nullptr;
    QTimer *Timer1 = nullptr;
};

} // namespace tarnvale::ui
