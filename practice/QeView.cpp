#include "practice/QeView.h"

#include "platform/Gbk.h"
#include "platform/MainWindow.h"
#include "platform/Platform.h"
#include "practice/PracticeState.h"
#include "practice/QeDoc.h"
#include "practice/ViewPainter.h"
#include "practice/ResultDlg.h"
#include "res/CommandIds.h"
#include "scores/ClearGroupScoresDlg.h"
#include "scores/ClearPersonalScoresDlg.h"
#include "users/CurrentUser.h"
#include "users/LogOff.h"
#include "users/NewUserDlg.h"
#include "users/UserSettingsDlg.h"

#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>

using namespace Qt::Literals::StringLiterals;

namespace {

QFont CreditFont(int pixelHeight, bool bold, bool underline, const QString& face)
{
    QFont font;
    font.setFamilies({face, u"Noto Sans CJK SC"_s});
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    font.setUnderline(underline);
    font.setFixedPitch(true);
    return font;
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

CQeView::CQeView(CQeDoc* pDoc, QWidget* parent)
    : QWidget(parent), m_fontTitle(CreditFont(30, true, true, u"new Font1"_s)),
      m_fontCredit(CreditFont(20, true, false, u"new Font2"_s)),
      m_fontFooter(CreditFont(15, false, false, u"new Font3"_s)), m_pDocument(pDoc),
      m_session(*pDoc, this)
{
    CurrentPracticeKind = PracticeKind::None;
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);
    m_session.SetInvalidate(
        [this](int line, int column, int count) { update(DirtyRect(line, column, count)); });
    m_session.SetEndPractice([this](int reason) {
        m_recorder.OnEnd(reason);
        EndPractice();
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
    const bool bWasRunning = m_session.IsRunning();
    if (bWasRunning)
        m_recorder.OnRunningByte(byte);
    m_session.OnChar(byte);
    if (!bWasRunning && m_session.IsRunning())
        m_recorder.OnStart();
}

void CQeView::OnText(const QString& text)
{
    const QByteArray bytes = Gbk::Encode(text);
    for (char byte : bytes)
        OnChar(static_cast<unsigned char>(byte));
}

void CQeView::ResetSession()
{
    if (IPracticeClock* clock = MainPracticeClock())
        clock->ResetClock();
    m_session.Reset();
}

void CQeView::ShowCredits()
{
    m_bShowCredits = 1;
    CurrentPracticeKind = PracticeKind::None;
    m_session.Stop();
    update();
}

void CQeView::EndPractice()
{
    CResultDlg result;
    if (IPracticeClock* clock = MainPracticeClock())
        clock->StopClock();
    const CAttempt attempt = m_recorder.Finish(*m_pDocument, m_session);
    result.m_pAttempt = &attempt;
    result.DoModal();
    m_file.close();
    ShowCredits();
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
    if (IPracticeClock* clock = MainPracticeClock())
        clock->ShowReadyPrompt();
    update();
}

void CQeView::OnDraw(QPainter& painter, const QRect& dirty)
{
    painter.fillRect(dirty, palette().window());
    painter.setBackground(palette().window());
    const CViewPainter screen(*m_pDocument);
    if (m_bShowCredits)
        screen.DrawCredits(painter, width(), m_fontTitle, m_fontCredit, m_fontFooter);
    else
        screen.DrawPractice(painter, dirty);
}

QRect CQeView::CellRect(int line, int column, int count) const
{
    return QRect(column * CharWidth, line * LineHeight, count * CharWidth, LineHeight);
}

QRect CQeView::DirtyRect(int line, int column, int count) const
{
    return CellRect(line, column - 1, count + 2).adjusted(0, -2, 0, 2);
}

void CQeView::OnContextMenu(QWidget* pWnd, QPoint point)
{
    Q_UNUSED(pWnd);
    if (point == QPoint(-1, -1))
        point = KeyboardMenuPoint();
    if (IMenuHost* host = MainMenuHost())
        host->TrackPopupMenu(109, point);
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
        ShowCredits();
        return true;
    case ID_USER_SETTINGS:
        OpenUserSettingsDialog();
        return true;
    case ID_USER_NEW:
        OpenNewUserDialog();
        return true;
    case ID_USER_LOGOFF:
        LogOffCurrentUser();
        return true;
    case ID_CLEAR_PERSONAL_SCORES:
        OpenClearPersonalScores();
        return true;
    case ID_CLEAR_GROUP_SCORES:
        OpenClearGroupScores();
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
    case ID_USER_SETTINGS:
    case ID_USER_NEW:
    case ID_USER_LOGOFF:
    case ID_CLEAR_PERSONAL_SCORES:
    case ID_CLEAR_GROUP_SCORES:
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
    switch (cmdUI.m_nID) {
    case ID_USER_SETTINGS:
        cmdUI.Enable(CurrentUser.KindCode == UserKind::Ordinary);
        return true;
    case ID_USER_NEW:
        cmdUI.Enable(CurrentUser.KindCode != UserKind::Super);
        return true;
    default:
        return false;
    }
}

void CQeView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    OnDraw(painter, event->rect());
}

void CQeView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        OnChar(0x1B);
        return;
    case Qt::Key_Backspace:
        OnChar(0x08);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OnChar(0x0D);
        return;
    default:
        break;
    }
    if (event->text().isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    OnText(event->text());
}

void CQeView::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty())
        OnText(event->commitString());
    event->accept();
}

QVariant CQeView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImCursorRectangle) {
        const bool doubleByte = CurrentPracticeKind == PracticeKind::Chinese;
        const int column = doubleByte ? 2 * CurrentColumn : CurrentColumn;
        return CellRect(2 * CurrentRow + 1, column, doubleByte ? 2 : 1);
    }
    return QWidget::inputMethodQuery(query);
}

void CQeView::contextMenuEvent(QContextMenuEvent* event)
{
    OnContextMenu(this, event->reason() == QContextMenuEvent::Keyboard ? QPoint(-1, -1)
                                                                       : event->globalPos());
}

bool CQeView::focusNextPrevChild(bool next)
{
    Q_UNUSED(next);
    return false; // Tab is a character of the practice, not a focus move
}
