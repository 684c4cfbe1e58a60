#include "ui/titlform/titlform.h"

#include "core/state.h"
#include "ui/common/controls.h"
#include "ui/common/twips.h"
#include "ui/windowowner.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

namespace tarnvale::ui {

namespace {

constexpr int kCopies = 8;
constexpr int kBlankFrame = 8;
constexpr int kTickMilliseconds = 200;

// The copies of the word, from the small one low in the window to the large one at its top: font
// size in points, then left, top, width and height in twips.
struct Copy
{
    double points;
    int left, top, width, height;
};
constexpr Copy kCopyPlaces[kCopies] = {
    {18, 3600, 6000, 5172, 492},    {24, 3120, 5520, 6132, 612},    {30, 3360, 4800, 5652, 852},
    {36, 2400, 4080, 7692, 972},    {43.8, 2400, 3240, 7692, 1212}, {54, 2640, 2160, 7212, 1452},
    {64.8, 2520, 1200, 7692, 1692}, {73.8, 2400, 0, 7692, 1692},
};

// The copies are centred on a common axis near 6240 twips; the window is twice that wide.
constexpr int kWidth = 12480;
constexpr int kHeight = 7560;

bool isCopy(int index)
{
    return index >= 0 && index < kCopies;
}

} // namespace

TitleFrame AdvanceTitle(AnalysisState &state)
{
    TitleFrame frame;
    state.TitlePhase = static_cast<std::int16_t>(state.TitlePhase + 1);
    if (state.TitlePhase > kBlankFrame)
        state.TitlePhase = 0;
    frame.hide = state.TitleShownLabel;
    if (state.TitlePhase < kBlankFrame) {
        frame.show = state.TitlePhase;
        state.TitleShownLabel = state.TitlePhase;
    }
    return frame;
}

titlform::titlform(WindowOwner &owner, QWidget *parent)
    : QWidget(parent)
    , m_owner(owner)
    , m_state(owner.state())
{
    buildUi();
    connectHandlers();
}

void titlform::buildUi()
{
    setObjectName(QStringLiteral("titlform"));
    setWindowTitle(QStringLiteral("Titleform"));
    setFixedSize(Twips(kWidth), Twips(kHeight));
    SetBackColor(this, kDarkBlue);
    setFont(TimesFont(12));
    // The splash itself takes the keys: it has no control that could.
    setFocusPolicy(Qt::StrongFocus);

    for (int i = 0; i < kCopies; ++i) {
        const Copy &c = kCopyPlaces[i];
        Label1[i] = new ClickLabel(QStringLiteral("Tarnvale"), this);
        Label1[i]->setObjectName(QStringLiteral("Label1(%1)").arg(i));
        Label1[i]->setGeometry(TwipsRect(c.left, c.top, c.width, c.height));
        Label1[i]->setFont(TimesFont(c.points));
        Label1[i]->setAlignment(Qt::AlignCenter);
        SetForeColor(Label1[i], kYellow);
        SetBackColor(Label1[i], kDarkBlue);
        Label1[i]->hide();
    }

    Label2 = new ClickLabel(QStringLiteral("Press any key or click mouse to start."), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(TwipsRect(3240, 6780, 6000, 420));
    Label2->setFont(TimesFont(13.8));
    Label2->setAlignment(Qt::AlignCenter);
    SetForeColor(Label2, kYellow);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
}

void titlform::connectHandlers()
{
    for (int i = 0; i < kCopies; ++i) {
        connect(Label1[i], &ClickLabel::clicked, this, [this, i] { Label1_Click(i); });
        connect(Label1[i], &ClickLabel::doubleClicked, this, [this, i] { Label1_DblClick(i); });
    }
    connect(Label2, &ClickLabel::clicked, this, &titlform::Label2_Click);
    connect(Label2, &ClickLabel::doubleClicked, this, &titlform::Label2_DblClick);
    connect(Timer1, &QTimer::timeout, this, &titlform::Timer1_Timer);
}

void titlform::Form_Load()
{
    Timer1->setInterval(kTickMilliseconds);
    Timer1->start();
}

void titlform::Timer1_Timer()
{
    const TitleFrame frame = AdvanceTitle(m_state);
    if (isCopy(frame.hide))
        Label1[frame.hide]->hide();
    if (frame.show && isCopy(*frame.show))
        Label1[*frame.show]->show();
}

void titlform::dismiss()
{
    hide();
    // Nothing is left to animate once the splash is out of sight.
    Timer1->stop();
    m_owner.showForm1();
}

void titlform::Form_KeyPress(int)
{
    dismiss();
}

void titlform::Form_Click()
{
    dismiss();
}

void titlform::Form_DblClick()
{
    dismiss();
}

void titlform::Label1_Click(int)
{
    dismiss();
}

void titlform::Label1_DblClick(int)
{
    dismiss();
}

void titlform::Label2_Click()
{
    dismiss();
}

void titlform::Label2_DblClick()
{
    dismiss();
}

void titlform::keyPressEvent(QKeyEvent *event)
{
    // A modifier alone is half of a key combination, not the key the user was asked to press.
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        QWidget::keyPressEvent(event);
        return;
    default:
        break;
    }
    const QString text = event->text();
    Form_KeyPress(text.isEmpty() ? 0 : text.at(0).unicode());
}

void titlform::mouseReleaseEvent(QMouseEvent *event)
{
    // A click on a copy of the word or on the prompt has its own handler; this one is the form's.
    if (!childAt(event->position().toPoint()))
        Form_Click();
    else
        QWidget::mouseReleaseEvent(event);
}

void titlform::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (!childAt(event->position().toPoint()))
        Form_DblClick();
    else
        QWidget::mouseDoubleClickEvent(event);
}

void titlform::closeEvent(QCloseEvent *event)
{
    // Closing the splash by its frame is one more way of saying "start": the main window would
    // otherwise never appear.
    event->accept();
    dismiss();
}

} // namespace tarnvale::ui
