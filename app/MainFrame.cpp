#include "app/MainFrame.h"

#include "app/CommandBars.h"
#include "app/HelpWindow.h"
#include "app/KeyboardLocks.h"
#include "app/SplashWnd.h"
#include "attempts/Attempt.h"
#include "monitor/AssignmentStore.h"
#include "platform/Dao.h"
#include "platform/Dispatch.h"
#include "platform/Platform.h"
#include "practice/Credits.h"
#include "practice/QeDoc.h"
#include "practice/QeView.h"
#include "res/CommandIds.h"
#include "res/Resources.h"
#include "users/CurrentUser.h"
#include "users/Session.h"
#include "users/UserPanes.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimerEvent>
#include <QToolBar>

using namespace Qt::Literals::StringLiterals;

namespace {

// The initial texts of the panes; each pane but the first is as wide as its
// initial text, the trailing spaces reserving the room.
QStringList InitialPaneTexts()
{
    return {
        LoadString(57345),
        u"用户姓名:NONE        "_s,
        u"用户类型:普通用户    "_s,
        u"记时:0     秒"_s,
        u"当前时间:00-00-00  "_s,
        u"作者:%1 "_s.arg(Credits::ShortAuthorName()),
        u"大写"_s,
        u"数字"_s,
    };
}

constexpr int ClockTimer = 1;
constexpr int PaneMargin = 1; // pixels between a pane's border and its text
constexpr int CapsPane = 6;
constexpr int NumPane = 7;

} // namespace

CMainFrame::CMainFrame()
    : m_clock(*this), m_reports(CSession::Instance()), m_classroom(CSession::Instance()),
      m_texts(CSession::Instance()), m_exams(CSession::Instance()), m_course(CSession::Instance()),
      m_coaching(CSession::Instance()), m_monitor(CSession::Instance()),
      m_assignments(CSession::Instance())
{
    PreCreateWindow();
    connect(&CSession::Instance(), &CSession::userChanged, this, [this] { ShowUserPanes(*this); });
}

CMainFrame::~CMainFrame()
{
    qApp->removeEventFilter(this);
}

void CMainFrame::PreCreateWindow()
{
    // Caption, system menu and minimise box: no maximise box, no sizing border.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
}

bool CMainFrame::Create(CQeDoc* pDoc, ICommandTarget* pApplication)
{
    m_pDocument = pDoc;
    CViewServices services;
    services.pClock = &m_clock;
    services.pMenuHost = this;
    services.runCommand = [this](int nID) { m_router.Execute(nID); };
    services.assignmentsDone = [](CDaoDatabase& db, const CAttempt& attempt) {
        return AssignmentStore::CompletedByNewest(db, attempt.nUserKey, attempt.strClass);
    };
    m_pView = new CQeView(pDoc, services, this);
    setCentralWidget(m_pView);
    // The picture stands, and the practice files are checked, while the
    // menus and bars are made behind it.
    CSplashWnd::ShowSplash(this);
    QList<ICommandTarget*> route{m_pView, this};
    if (pApplication)
        route.append(pApplication);
    m_users.SetOwner(this);
    m_users.SetBeforeLogOff([this] {
        m_pView->LeaveRunningExam();
        m_pView->CloseScreen();
    });
    route.append(&m_users);
    route.append(&m_scores);
    // The teaching layer's own commands, room by room.
    route.append(&m_reports);
    route.append(&m_classroom);
    m_texts.SetView(m_pView);
    route.append(&m_texts);
    m_exams.SetView(m_pView);
    route.append(&m_exams);
    m_display.SetOwner(this);
    route.append(&m_display);
    m_course.SetView(m_pView);
    route.append(&m_course);
    m_coaching.SetView(m_pView);
    route.append(&m_coaching);
    route.append(&m_monitor);
    m_assignments.SetView(m_pView);
    m_assignments.SetCourse(&m_course);
    route.append(&m_assignments);
    m_router.SetRoute(route);
    m_pBars = new CCommandBars(m_router, this);
    m_pBars->BuildMenuBar(menuBar(), 128);
    m_pBars->LoadAccelerators(128);
    if (!CreateToolBar() || !CreateStatusBar())
        return false;
    setWindowTitle(u"%1 - %2"_s.arg(LoadString(128).section(u'\n', 0, 0), pDoc->GetTitle()));
    setWindowIcon(LoadIcon(128));
    FitOuterSize();
    qApp->installEventFilter(this);
    m_nClockTimer = startTimer(1000);
    m_pView->setFocus();
    return true;
}

bool CMainFrame::CreateToolBar()
{
    m_pToolBar = new QToolBar(this);
    m_pToolBar->setObjectName(u"toolbar128"_s);
    m_pToolBar->setIconSize(QSize(16, 16));
    m_pToolBar->setMovable(false);
    m_pToolBar->setFloatable(false);
    addToolBar(Qt::TopToolBarArea, m_pToolBar);
    m_pBars->BuildToolBar(m_pToolBar, 128);
    return !m_pToolBar->actions().isEmpty();
}

bool CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(false);
    // The panes stand side by side in a row of their own: the status bar's
    // six pixels between widgets would leave the prompt pane too little.
    auto* row = new QWidget(bar);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    bar->addPermanentWidget(row, 1);
    const QStringList texts = InitialPaneTexts();
    const QFontMetrics metrics(bar->font());
    for (int i = 0; i < texts.size(); ++i) {
        auto* pane = new QLabel(texts[i], row);
        if (i == 0) {
            // The prompt pane takes the room left and never pushes the others.
            pane->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            layout->addWidget(pane, 1);
        } else {
            pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            pane->setIndent(PaneMargin);
            pane->setFixedWidth(metrics.horizontalAdvance(texts[i]) + 2 * pane->frameWidth() +
                                2 * PaneMargin);
            layout->addWidget(pane);
        }
        m_aPanes.append(pane);
    }
    UpdateLockPanes();
    return m_aPanes.size() == PaneCount;
}

// The window is 750 x 540 pixels with its frame, as far as the window
// system tells the frame's size; it neither grows nor shrinks. The display
// size scales those pixels with everything else.
void CMainFrame::FitOuterSize()
{
    const QSize frame = frameGeometry().size() - geometry().size();
    setFixedSize(OuterSize - (isVisible() ? frame : QSize()));
    CenterOnWorkArea();
}

void CMainFrame::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (frameGeometry().size() != OuterSize)
        FitOuterSize();
}

void CMainFrame::CenterOnWorkArea()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void CMainFrame::SetPaneText(int index, const QString& text)
{
    // A changed pane shows at once; an unchanged one is left alone, since the
    // lock panes are set again on every key press and release.
    QLabel* pane = m_aPanes.value(index);
    if (pane && pane->text() != text) {
        pane->setText(text);
        // A text wider than its pane shows whole as the pane's tool tip.
        const bool cut = pane->fontMetrics().horizontalAdvance(text) > pane->contentsRect().width();
        pane->setToolTip(cut ? text : QString());
        pane->repaint();
    }
}

QString CMainFrame::PaneText(int index) const
{
    const QLabel* pane = m_aPanes.value(index);
    return pane ? pane->text() : QString();
}

void CMainFrame::UpdateLockPanes()
{
    const std::optional<KeyboardLocks> locks = ReadKeyboardLocks();
    const QString caps = locks && locks->bCapsLock ? u"大写"_s : QString();
    const QString num = locks && locks->bNumLock ? u"数字"_s : QString();
    // Only a change is written: this runs for every key of the practice.
    if (PaneText(CapsPane) != caps)
        SetPaneText(CapsPane, caps);
    if (PaneText(NumPane) != num)
        SetPaneText(NumPane, num);
}

void CMainFrame::OnTimer(int nIDEvent)
{
    if (nIDEvent == ClockTimer) {
        m_clock.Tick(Platform().CurrentTime());
        UpdateLockPanes();
    }
}

void CMainFrame::TrackPopupMenu(int nMenuId, const QPoint& screenPoint)
{
    std::unique_ptr<QMenu> menu(m_pBars->BuildPopup(nMenuId, this));
    m_pBars->UpdateActions(menu->actions());
    Platform().TrackPopupMenu(menu.get(), screenPoint);
}

bool CMainFrame::TranslateAccelerator(const QKeyEvent& event)
{
    const int nCommand = m_pBars ? m_pBars->FindCommand(event) : 0;
    if (nCommand == 0)
        return false;
    // A disabled command's key does nothing, as its menu item would.
    if (m_router.Query(nCommand).m_bEnabled)
        m_router.Execute(nCommand);
    return true;
}

void CMainFrame::OnHelpTopics()
{
    // Owned by the frame, as the help viewer is: it never outlives the
    // program nor keeps it running.
    if (!m_pHelpWindow)
        m_pHelpWindow = new CHelpWindow(this);
    m_pHelpWindow->ShowFirstTopic();
}

void CMainFrame::OnHelpNews()
{
    Platform().OpenUrl(Credits::WebHost());
}

void CMainFrame::OnHelpUpgrade()
{
    const QString text =
        u"該版本已是最高版,想了解有关更多信息请到☆◎云帆联盟工作室◎☆\n\n网站 '%1' 查看,谢谢!"_s.arg(
            Credits::WebAddress());
    Platform().MessageBox(this, text, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION);
}

bool CMainFrame::OnCmdMsg(int nID)
{
    switch (nID) {
    case ID_HELP_TOPICS:
        OnHelpTopics();
        return true;
    case ID_HELP_NEWS:
        OnHelpNews();
        return true;
    case ID_HELP_UPGRADE:
        OnHelpUpgrade();
        return true;
    default:
        return false;
    }
}

bool CMainFrame::HasCommandHandler(int nID) const
{
    switch (nID) {
    case ID_HELP_TOPICS:
    case ID_HELP_NEWS:
    case ID_HELP_UPGRADE:
        return true;
    default:
        return false;
    }
}

bool CMainFrame::OnUpdateCmdUI(CCmdUI& cmdUI)
{
    Q_UNUSED(cmdUI);
    return false;
}

bool CMainFrame::event(QEvent* event)
{
    // Prompts of menu items and tool bar buttons go to pane 0; without one
    // the idle prompt stands there.
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        SetPaneText(0, tip.isEmpty() ? LoadString(57345) : tip);
        return true;
    }
    return QMainWindow::event(event);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    // The accelerators serve the main window's own message loop only, not
    // the modal dialogs and message boxes.
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this && !QApplication::activeModalWidget()) {
            // While the program has the keyboard the locks change only with
            // their own keys. Reading them is a round trip to the X server,
            // which would otherwise stand between every key and its echo;
            // a change made elsewhere shows at the next clock tick.
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock)
                UpdateLockPanes();
            if (type == QEvent::KeyPress && TranslateAccelerator(*static_cast<QKeyEvent*>(event)))
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    const int answer = Platform().MessageBox(this, u"确定要退出本系统吗?"_s, u"退出?"_s,
                                             MB_YESNO | MB_ICONQUESTION);
    if (answer == IDNO) {
        event->ignore();
        return;
    }
    event->accept();
    if (m_pView)
        m_pView->LeaveRunningExam();
    // The live view no longer shows the pupil.
    CSession::Instance().LogOff();
    // A confirmed exit leaves no window of the program behind.
    if (m_pHelpWindow)
        m_pHelpWindow->close();
}

void CMainFrame::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_nClockTimer)
        Dispatch([this] { OnTimer(ClockTimer); });
    else
        QMainWindow::timerEvent(event);
}
