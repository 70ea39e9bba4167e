#include "practice/QeView.h"

#include "platform/Gbk.h"
#include "platform/MainWindow.h"
#include "platform/Platform.h"
#include "practice/PracticeState.h"
#include "practice/QeDoc.h"
#include "practice/ViewPainter.h"
#include "res/CommandIds.h"
#include "users/Database.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QWindow>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// The credit fonts are given by the height of their character cell (ascent
// plus descent), not of their em square: the largest pixel size whose cell
// fits that height. Cells grow about in proportion to the pixel size, so the
// search starts from the proportional guess and loads few sizes.
QFont CreditFont(int cellHeight, bool bold, bool underline, const QString& face)
{
    QFont font;
    font.setFamilies({face, u"Noto Sans CJK SC"_s});
    font.setBold(bold);
    // Bold is drawn by emboldening the regular face, as for a face that has
    // no bold of its own: the bold face would be loaded, megabytes of it,
    // for the three lines of this screen.
    font.setStyleName(u"Regular"_s);
    font.setUnderline(underline);
    font.setFixedPitch(true);
    const auto cellAt = [&font](int size) {
        font.setPixelSize(size);
        return QFontMetrics(font).height();
    };
    int size = std::clamp(cellHeight * cellHeight / std::max(1, cellAt(cellHeight)), 1, cellHeight);
    while (size > 1 && cellAt(size) > cellHeight)
        --size;
    while (size < cellHeight && cellAt(size + 1) <= cellHeight)
        ++size;
    font.setPixelSize(size);
    return font;
}

// The question Esc asks in an exam: it names the exam and what ending it
// means, and going on is what Enter chooses.
QString ExamEndQuestion(const CPracticeScreen& screen)
{
    return u"确定要结束考试《%1》吗?\n%2"_s.arg(
        screen.strTitle, screen.bRetakeAllowed ? u"结束后成绩将被保存,以后可以重考。"_s
                                               : u"结束后成绩将被保存,这场考试不能再考。"_s);
}

struct PracticeCommand
{
    int id;
    int kind;
};

constexpr PracticeCommand PracticeCommands[] = {
    {ID_PRACTICE_CHINESE, PracticeKind::Chinese},
    {ID_PRACTICE_ENGLISH, PracticeKind::English},
    {ID_PRACTICE_NUMBER, PracticeKind::Number},
    {ID_PRACTICE_SYMBOL, PracticeKind::Symbol},
};

} // namespace

CQeView::CQeView(CQeDoc* pDoc, CViewServices services, QWidget* parent)
    : QWidget(parent), m_services(services), m_pDocument(pDoc),
      m_session(*pDoc, this, services.pClock), m_composition(this)
{
    CurrentPracticeKind = PracticeKind::None;
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);
    setInputMethodHints(Qt::ImhNoPredictiveText);
    m_session.SetInvalidate(
        [this](int line, int column, int count) { update(DirtyRect(line, column, count)); });
    m_session.SetEndPractice([this](int reason) {
        m_recorder.OnEnd(reason);
        EndPractice();
    });
    m_composition.SetCommit([this](const QString& text) { OnText(text); });
    m_composition.SetInvalidate(
        [this](int line, int column, int count) { update(DirtyRect(line, column, count)); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            &CQeView::OnApplicationStateChanged);
    // The large screen's figures change with the time as well as the keys.
    m_figureTimer.setInterval(1000);
    connect(&m_figureTimer, &QTimer::timeout, this, [this] {
        if (IsLarge() && m_session.IsRunning())
            update(LargeLayout().band);
        else
            m_figureTimer.stop();
    });
    // The teacher ended the exam for everybody: as if its time had run out.
    connect(&m_reporter, &CLiveReporter::examStopped, this, [this] {
        if (m_exam && m_session.IsRunning())
            m_session.TimeUp();
    });
}

CQeView::~CQeView()
{
    m_file.close();
}

void CQeView::OnChar(unsigned nChar, unsigned nRepCnt, unsigned nFlags)
{
    Q_UNUSED(nRepCnt);
    Q_UNUSED(nFlags);
    const auto byte = static_cast<unsigned char>(nChar & 0xFF);
    if (m_result) {
        OnResultKey(byte);
        return;
    }
    const bool bWasRunning = m_session.IsRunning();
    if (!bWasRunning && byte == 0x1B && IsLarge()) {
        // Esc on the start card goes back; nothing was begun or stored.
        ShowCredits();
        return;
    }
    if (bWasRunning)
        m_recorder.OnRunningByte(byte);
    else if (byte == 0x20 && !BeginExamSitting())
        return;
    m_session.OnChar(byte);
    if (!bWasRunning && m_session.IsRunning()) {
        m_recorder.OnStart();
        m_reporter.Start([this] { return LiveReport(0); });
        if (IsLarge()) {
            update(); // the card goes, the figures come
            m_figureTimer.start();
        }
    }
    TellInputMethod();
}

void CQeView::OnApplicationStateChanged(Qt::ApplicationState state)
{
    // Another program took the keyboard; the program's own message boxes
    // and dialogs leave it active.
    if (state != Qt::ApplicationActive && m_session.IsRunning())
        m_recorder.OnFocusLost();
}

void CQeView::NoteKey()
{
    if (m_session.IsRunning())
        m_recorder.OnKey(Platform().MonotonicMilliseconds());
}

void CQeView::OnText(const QString& text)
{
    NoteKey();
    if (m_session.IsRunning()) {
        const QWindow* handle = window()->windowHandle();
        m_recorder.OnTyped(*m_pDocument, text, Platform().MonotonicMilliseconds(),
                           handle ? quintptr(handle->winId()) : 0);
    }
    const QByteArray bytes = Gbk::Encode(text);
    for (char byte : bytes)
        OnChar(static_cast<unsigned char>(byte));
}

void CQeView::ResetSession()
{
    if (IPracticeClock* clock = m_services.pClock)
        clock->ResetClock();
    m_session.Reset();
    StopReporting();
    m_screen.reset();
    m_exam.reset();
    ClearResult();
    CloseScreen();
}

void CQeView::ShowCredits()
{
    // Left before its end, a practice leaves no ready prompt blinking and
    // no notice behind; an ended one keeps the clock's last word.
    if (IPracticeClock* clock = m_services.pClock; clock && !m_bEnding)
        clock->ResetClock();
    CloseScreen();
    m_composition.Cancel();
    m_bShowCredits = 1;
    CurrentPracticeKind = PracticeKind::None;
    m_session.Stop();
    StopReporting();
    m_screen.reset();
    m_exam.reset();
    ClearResult();
    update();
    TellInputMethod();
}

void CQeView::LoadScreen(const CPracticeScreen& screen)
{
    LeaveRunningExam();
    m_composition.Cancel();
    m_bShowCredits = 0;
    CurrentPracticeKind = screen.nKind;
    m_file.close();
    ResetSession();
    m_recorder.OnLoad(screen.nKind, screen.strTitle);
    m_recorder.SetOrigin(screen.nTextId, screen.nScreen, screen.nExamId);
    // An exam's screen is loaded when its start is recorded.
    if (screen.nExamId == 0)
        ReadScreen(*m_pDocument, screen.text, screen.nKind, screen.nScreen);
    m_screen = screen;
    m_nScreenCount = ScreenCount(screen.text, screen.nKind);
    m_session.SetBackspaceAllowed(screen.bBackspaceAllowed);
    if (screen.nExamId != 0)
        m_session.SetEndQuestion(ExamEndQuestion(screen), true);
    if (IPracticeClock* clock = m_services.pClock) {
        clock->ShowReadyPrompt();
        if (screen.nTimeLimitSeconds > 0)
            clock->SetTimeLimit(screen.nTimeLimitSeconds, [this] { m_session.TimeUp(); });
        if (screen.nExamId != 0)
            clock->ShowNotice(
                u"考试:%1,按空格键开始(考试的文章在开始时才显示)"_s.arg(screen.strTitle));
        else if (m_nScreenCount > 1)
            clock->ShowNotice(u"第 %1 屏,共 %2 屏"_s.arg(screen.nScreen).arg(m_nScreenCount));
    }
    update();
    TellInputMethod();
    if (screen.nKind == PracticeKind::Chinese)
        ShowInputMethodNotice();
}

void CQeView::OnPracticeChinese()
{
    LoadPractice(PracticeKind::Chinese, u"chinese.txt"_s);
}

void CQeView::OnPracticeEnglish()
{
    LoadPractice(PracticeKind::English, u"english.txt"_s);
}

void CQeView::OnPracticeNumber()
{
    LoadPractice(PracticeKind::Number, u"number.txt"_s);
}

void CQeView::OnPracticeSymbol()
{
    LoadPractice(PracticeKind::Symbol, u"punctuate.txt"_s);
}

void CQeView::LoadPractice(int kind, const QString& fileName)
{
    LeaveRunningExam();
    m_composition.Cancel();
    m_bShowCredits = 0;
    CurrentPracticeKind = kind;
    m_file.close();
    ResetSession();
    m_recorder.OnLoad(kind, fileName);
    m_file.setFileName(fileName);
    if (!m_file.open(QIODevice::ReadOnly)) {
        AfxMessageBox(u"无法打开练习文件'%1',请检查该文件是否存在且可以读取!"_s.arg(fileName));
        ShowCredits();
        return;
    }
    if (kind == PracticeKind::Chinese)
        m_pDocument->ReadDoubleByteScreen(m_file);
    else
        m_pDocument->ReadSingleByteScreen(m_file);
    if (IPracticeClock* clock = m_services.pClock)
        clock->ShowReadyPrompt();
    update();
    TellInputMethod();
    if (kind == PracticeKind::Chinese)
        ShowInputMethodNotice();
}

void CQeView::OnDraw(QPainter& painter, const QRect& dirty)
{
    if (IsLarge()) {
        DrawLarge(painter, dirty); // its rows fill their own ground
        return;
    }
    painter.fillRect(dirty, palette().window());
    painter.setBackground(palette().window());
    const CViewPainter screen(*m_pDocument);
    if (m_bShowCredits) {
        // The credit faces are found the first time the screen is drawn, not
        // before the first window.
        if (!m_creditFonts)
            m_creditFonts = CreditFonts{CreditFont(30, true, true, u"new Font1"_s),
                                        CreditFont(20, true, false, u"new Font2"_s),
                                        CreditFont(15, false, false, u"new Font3"_s)};
        screen.DrawCredits(painter, width(), m_creditFonts->title, m_creditFonts->credit,
                           m_creditFonts->footer);
    } else {
        screen.DrawPractice(painter, dirty);
    }
    if (!m_bShowCredits && m_composition.IsOpen())
        screen.DrawComposition(painter, dirty, m_composition.Line(), m_composition.Column(),
                               m_composition.Bytes());
}

QRect CQeView::CellRect(int line, int column, int count) const
{
    if (IsLarge())
        return LargeLayout().Cells(line, column, count);
    return QRect(column * CharWidth, line * LineHeight, count * CharWidth, LineHeight);
}

QRect CQeView::DirtyRect(int line, int column, int count) const
{
    // On the large screen a cell's text line and strip change together.
    if (IsLarge())
        return LargeLayout().Row(line / 2, column - 2, count + 4).adjusted(0, -2, 0, 2);
    return CellRect(line, column - 1, count + 2).adjusted(0, -2, 0, 2);
}

void CQeView::OnContextMenu(QWidget* pWnd, QPoint point)
{
    Q_UNUSED(pWnd);
    if (point == QPoint(-1, -1))
        point = KeyboardMenuPoint();
    if (m_services.pMenuHost)
        m_services.pMenuHost->TrackPopupMenu(109, point);
}

QPoint CQeView::KeyboardMenuPoint() const
{
    return mapToGlobal(QPoint(0, 0)) + QPoint(5, 5);
}

bool CQeView::OnCmdMsg(int nID)
{
    switch (nID) {
    case ID_PRACTICE_CHINESE:
        OnPracticeChinese();
        return true;
    case ID_PRACTICE_ENGLISH:
        OnPracticeEnglish();
        return true;
    case ID_PRACTICE_NUMBER:
        OnPracticeNumber();
        return true;
    case ID_PRACTICE_SYMBOL:
        OnPracticeSymbol();
        return true;
    case ID_PROGRAM_RESET:
        LeaveRunningExam();
        ShowCredits();
        return true;
    default:
        return false;
    }
}

bool CQeView::HasCommandHandler(int nID) const
{
    switch (nID) {
    case ID_PRACTICE_CHINESE:
    case ID_PRACTICE_ENGLISH:
    case ID_PRACTICE_NUMBER:
    case ID_PRACTICE_SYMBOL:
    case ID_PROGRAM_RESET:
        return true;
    default:
        return false;
    }
}

bool CQeView::OnUpdateCmdUI(CCmdUI& cmdUI)
{
    for (const PracticeCommand& command : PracticeCommands) {
        if (command.id == cmdUI.m_nID) {
            cmdUI.SetCheck(CurrentPracticeKind == command.kind);
            return true;
        }
    }
    return false;
}

void CQeView::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        OnDraw(painter, event->rect());
    }
    TellInputMethod(); // the repaint sets the grid metrics the cursor is measured in
}

void CQeView::contextMenuEvent(QContextMenuEvent* event)
{
    OnContextMenu(this, event->reason() == QContextMenuEvent::Keyboard ? QPoint(-1, -1)
                                                                       : event->globalPos());
}
