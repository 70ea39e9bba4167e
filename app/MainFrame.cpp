#include "app/MainFrame.h"

#include "platform/Dao.h"
#include "platform/Dispatch.h"
#include "platform/Platform.h"
#include "practice/QeDoc.h"
#include "practice/QeView.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimerEvent>

using namespace Qt::Literals::StringLiterals;

namespace {

// The initial texts of the panes; each pane but the first is as wide as its
// initial text, the trailing spaces reserving the room.
QStringList InitialPaneTexts()
{
    return {
        u"就绪"_s,
        u"用户姓名:NONE        "_s,
        u"用户类型:普通用户    "_s,
        u"记时:0     秒"_s,
        u"当前时间:00-00-00  "_s,
        u"作者:青禾开发组 "_s,
        u"大写"_s,
        u"数字"_s,
    };
}

constexpr int ClockTimer = 1;

} // namespace

CMainFrame::CMainFrame() : m_clock(*this)
{
    PreCreateWindow();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::PreCreateWindow()
{
    // Caption, system menu and minimise box: no maximise box, no sizing border.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
}

bool CMainFrame::Create(CQeDoc* pDoc)
{
    m_pDocument = pDoc;
    m_pView = new CQeView(pDoc, this);
    setCentralWidget(m_pView);
    if (!CreateStatusBar())
        return false;
    setWindowTitle(u"青禾测试系统 - %1"_s.arg(pDoc->GetTitle()));
    setFixedSize(750, 540);
    CenterOnWorkArea();
    m_nClockTimer = startTimer(1000);
    m_pView->setFocus();
    return true;
}

bool CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    const QStringList texts = InitialPaneTexts();
    const QFontMetrics metrics(bar->font());
    for (int i = 0; i < texts.size(); ++i) {
        auto* pane = new QLabel(texts[i], bar);
        if (i == 0) {
            bar->addWidget(pane, 1);
        } else {
            pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            pane->setFixedWidth(metrics.horizontalAdvance(texts[i]) + 2 * pane->frameWidth() + 4);
            bar->addPermanentWidget(pane);
        }
        m_aPanes.append(pane);
    }
    return m_aPanes.size() == PaneCount;
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
    if (QLabel* pane = m_aPanes.value(index)) {
        pane->setText(text);
        pane->repaint();
    }
}

QString CMainFrame::PaneText(int index) const
{
    const QLabel* pane = m_aPanes.value(index);
    return pane ? pane->text() : QString();
}

void CMainFrame::OnTimer(int nIDEvent)
{
    if (nIDEvent == ClockTimer)
        m_clock.Tick(Platform().CurrentTime());
}

bool CMainFrame::OnCmdMsg(int nID)
{
    Q_UNUSED(nID);
    return false;
}

bool CMainFrame::HasCommandHandler(int nID) const
{
    Q_UNUSED(nID);
    return false;
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
        SetPaneText(0, tip.isEmpty() ? u"就绪"_s : tip);
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    const int answer = Platform().MessageBox(this, u"确定要退出本系统吗?"_s, u"退出?"_s,
                                             MB_YESNO | MB_ICONQUESTION);
    if (answer == IDNO)
        event->ignore();
    else
        event->accept();
}

void CMainFrame::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_nClockTimer)
        Dispatch([this] { OnTimer(ClockTimer); });
    else
        QMainWindow::timerEvent(event);
}
