#include "practice/QeView.h"

#include "platform/Gbk.h"
#include "platform/MainWindow.h"
#include "platform/Platform.h"
#include "practice/PracticeState.h"
#include "practice/QeDoc.h"
#include "practice/ViewPainter.h"
#include "res/CommandIds.h"
#include "users/Database.h"
#include "users/Session.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QWindow>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

struct PracticeCommand
{
    int id;
    int kind;
    const char16_t* file;
};

constexpr PracticeCommand PracticeCommands[] = {
    {ID_PRACTICE_CHINESE, PracticeKind::Chinese, u"chinese.txt"},
    {ID_PRACTICE_ENGLISH, PracticeKind::English, u"english.txt"},
    {ID_PRACTICE_NUMBER, PracticeKind::Number, u"number.txt"},
    {ID_PRACTICE_SYMBOL, PracticeKind::Symbol, u"punctuate.txt"},
};

const PracticeCommand* FindPracticeCommand(int id)
{
    const auto* found =
        std::find_if(std::begin(PracticeCommands), std::end(PracticeCommands),
                     [id](const PracticeCommand& command) { return command.id == id; });
    return found == std::end(PracticeCommands) ? nullptr : found;
}

} // namespace

CQeView::CQeView(CQeDoc* pDoc, CViewServices services, QWidget* parent)
    : QWidget(parent), m_services(services), m_pDocument(pDoc),
      m_session(*pDoc, this, services.pClock),
      m_input(this, CTypingInput::Takes::KeysAndInputMethod, InputTarget()),
      m_large(this, CSession::Instance(), *pDoc, m_session, m_recorder, services),
      m_reporter(CSession::Instance(), *pDoc, m_session, m_recorder, m_large)
{
    CurrentPracticeKind = PracticeKind::None;
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    m_session.SetInvalidate(
        [this](int line, int column, int count) { update(DirtyRect(line, column, count)); });
    m_session.SetEndPractice([this](int reason) {
        m_recorder.OnEnd(reason);
        EndPractice();
    });
    m_input.Composition().SetInvalidate(
        [this](int line, int column, int count) { update(DirtyRect(line, column, count)); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            &CQeView::OnApplicationStateChanged);
    m_large.SetLoad([this](const CPracticeScreen& screen) { LoadScreen(screen); });
    m_large.SetBack([this] { ShowCredits(); });
    m_large.SetSeen([this] { OnResultSeen(); });
    // The teacher ended the exam for everybody: as if its time had run out.
    connect(&m_reporter.Live(), &CLiveReporter::examStopped, this, [this] {
        if (m_large.Exam().IsRunning() && m_session.IsRunning())
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
    if (m_large.ShowsResult()) {
        m_large.OnResultKey(byte);
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
    else if (byte == 0x20 && !m_large.Begin([this] { OnChar(0x20, 1, 0); }))
        return; // the exam starts once the database recorded its start
    m_session.OnChar(byte);
    if (!bWasRunning && m_session.IsRunning()) {
        m_recorder.OnStart();
        m_reporter.Start();
        if (IsLarge())
            m_large.OnStarted();
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
    m_reporter.Idle();
    m_large.Clear();
    CloseScreen();
}

void CQeView::ShowCredits()
{
    // Left before its end, a practice leaves no ready prompt blinking and
    // no notice behind; an ended one keeps the clock's last word.
    if (IPracticeClock* clock = m_services.pClock; clock && !m_bEnding)
        clock->ResetClock();
    CloseScreen();
    m_input.Composition().Cancel();
    m_bShowCredits = 1;
    CurrentPracticeKind = PracticeKind::None;
    m_session.Stop();
    m_reporter.Idle();
    m_large.Clear();
    update();
    TellInputMethod();
}

void CQeView::LoadScreen(const CPracticeScreen& screen)
{
    SetOut(screen.nKind, screen.strTitle);
    m_recorder.SetOrigin(screen.nTextId, screen.nScreen, screen.nExamId);
    m_large.Load(screen);
    ShowSetOut();
}

void CQeView::OnPracticeChinese()
{
    OnCmdMsg(ID_PRACTICE_CHINESE);
}

void CQeView::OnPracticeEnglish()
{
    OnCmdMsg(ID_PRACTICE_ENGLISH);
}

void CQeView::OnPracticeNumber()
{
    OnCmdMsg(ID_PRACTICE_NUMBER);
}

void CQeView::OnPracticeSymbol()
{
    OnCmdMsg(ID_PRACTICE_SYMBOL);
}

void CQeView::SetOut(int kind, const QString& title)
{
    LeaveRunningExam();
    m_input.Composition().Cancel();
    m_bShowCredits = 0;
    CurrentPracticeKind = kind;
    m_file.close();
    ResetSession();
    m_recorder.OnLoad(kind, title);
}

void CQeView::ShowSetOut()
{
    update();
    TellInputMethod();
    if (CurrentPracticeKind == PracticeKind::Chinese)
        ShowInputMethodNotice();
}

void CQeView::LoadPractice(int kind, const QString& fileName)
{
    SetOut(kind, fileName);
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
    ShowSetOut();
}

void CQeView::OnDraw(QPainter& painter, const QRect& dirty)
{
    if (IsLarge()) {
        m_large.Draw(painter, dirty, m_input.Composition()); // its rows fill their own ground
        return;
    }
    painter.fillRect(dirty, palette().window());
    painter.setBackground(palette().window());
    const CViewPainter screen(*m_pDocument);
    if (m_bShowCredits) {
        // The faces are found the first time the screen is drawn, not
        // before the first window.
        if (!m_creditFonts)
            m_creditFonts = CViewPainter::CreditFonts();
        screen.DrawCredits(painter, width(), *m_creditFonts);
    } else {
        screen.DrawPractice(painter, dirty);
    }
    const CComposition& composition = m_input.Composition();
    if (!m_bShowCredits && composition.IsOpen())
        screen.DrawComposition(painter, dirty, composition.Line(), composition.Column(),
                               composition.Bytes());
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
    if (nID == ID_PROGRAM_RESET) {
        LeaveRunningExam();
        ShowCredits();
        return true;
    }
    const PracticeCommand* command = FindPracticeCommand(nID);
    if (command)
        LoadPractice(command->kind, QString::fromUtf16(command->file));
    return command != nullptr;
}

bool CQeView::HasCommandHandler(int nID) const
{
    return nID == ID_PROGRAM_RESET || FindPracticeCommand(nID);
}

bool CQeView::OnUpdateCmdUI(CCmdUI& cmdUI)
{
    const PracticeCommand* command = FindPracticeCommand(cmdUI.m_nID);
    if (command)
        cmdUI.SetCheck(CurrentPracticeKind == command->kind);
    return command != nullptr;
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
