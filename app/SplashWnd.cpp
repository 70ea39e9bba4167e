#include "app/SplashWnd.h"

#include "platform/Dao.h"
#include "platform/Dispatch.h"
#include "platform/MainWindow.h"
#include "platform/Platform.h"
#include "res/Resources.h"
#include "users/LoginDlg.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int IDB_SPLASH = 144;
constexpr int HandOverTimer = 1;
constexpr int HandOverDelay = 1000;

// The first login of the run: cancelling it ends the program at once,
// without the exit question.
void RunFirstLogin()
{
    CLoginDlg dlg;
    if (dlg.DoModal() == IDCANCEL)
        Platform().ExitProcess(0);
}
} // namespace

bool CSplashWnd::s_bEnabled = false;
CSplashWnd* CSplashWnd::s_pInstance = nullptr;

CSplashWnd::~CSplashWnd()
{
    if (s_pInstance == this)
        s_pInstance = nullptr;
}

void CSplashWnd::EnableSplash(bool bEnable)
{
    s_bEnabled = bEnable;
}

void CSplashWnd::ShowSplash(QWidget* parent)
{
    if (!s_bEnabled || s_pInstance)
        return;
    s_pInstance = new CSplashWnd;
    if (!s_pInstance->Create(parent)) {
        delete s_pInstance;
        return;
    }
    // Paint the picture now, then check the files while it stands, all
    // before the main window is shown.
    s_pInstance->repaint();
    s_pInstance->CheckDataFiles();
}

bool CSplashWnd::Create(QWidget* parent)
{
    m_bitmap = LoadBitmap(IDB_SPLASH);
    if (m_bitmap.isNull())
        return false;
    setParent(parent, Qt::SplashScreen | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::WaitCursor);
    const QSize size = m_bitmap.deviceIndependentSize().toSize();
    setFixedSize(size);
    m_pixFrame = m_bitmap;

    // The owner is still hidden, so the picture is centred on the work area.
    const QScreen* pScreen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect rcWork = pScreen->availableGeometry();
    move(rcWork.x() + (rcWork.width() - size.width()) / 2,
         rcWork.y() + (rcWork.height() - size.height()) / 2);
    show();
    return isVisible();
}

void CSplashWnd::HideSplash()
{
    QWidget* pMainWnd = AfxGetMainWnd();
    delete this;
    if (pMainWnd)
        pMainWnd->repaint();
}

void CSplashWnd::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    // Once the check is over a repaint shows the picture alone.
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_bChecking ? m_pixFrame : m_bitmap);
}

void CSplashWnd::CheckDataFiles()
{
    if (!m_bFirstPaint)
        return;
    m_bChecking = true;
    m_pixFrame = m_bitmap;

    const QString strInitialising = u"正在初始化......"_s;
    const struct
    {
        QString strFile;
        QString strProgress;
    } files[] = {
        {u"english.txt"_s, u"正在初始化....."_s}, {u"chinese.txt"_s, strInitialising},
        {u"number.txt"_s, strInitialising},       {u"punctuate.txt"_s, strInitialising},
        {u"user.mdb"_s, strInitialising},
    };
    // A lab's shared PostgreSQL database is no file of the working
    // directory: a missing user.mdb is then no fault to report.
    const bool bFileDatabase = !CDaoDatabase::IsServerTarget(CDaoDatabase::DefaultTarget());
    for (const auto& file : files) {
        if (file.strFile == u"user.mdb"_s && !bFileDatabase)
            continue;
        if (QFileInfo::exists(file.strFile))
            DrawProgress(file.strProgress);
        else
            Platform().MessageBox(
                this, u"初始化文件'%1'时出错,可能是文件已损坏或文件不存在!"_s.arg(file.strFile),
                u"出错"_s, MB_OK | MB_ICONEXCLAMATION);
    }

    m_bChecking = false;
    m_bFirstPaint = false;
    m_nTimerId = startTimer(HandOverDelay);
}

void CSplashWnd::DrawProgress(const QString& text)
{
    // Each text goes over the last at the lower left of the picture.
    const QFontMetrics metrics(font());
    QPainter painter(&m_pixFrame);
    painter.setFont(font());
    painter.setPen(QColor(0, 255, 0));
    painter.drawText(QPoint(10, height() - metrics.height() - 5 + metrics.ascent()), text);
    painter.end();
    repaint();
}

void CSplashWnd::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_nTimerId)
        return;
    // The timer dies with the window; the handler deletes both.
    killTimer(m_nTimerId);
    m_nTimerId = 0;
    Dispatch([this] { OnTimer(HandOverTimer); });
}

void CSplashWnd::OnTimer(int nIDEvent)
{
    if (nIDEvent != HandOverTimer)
        return;
    HideSplash();
    // This object is gone now; only the login is left to run.
    RunFirstLogin();
}

void CSplashWnd::keyPressEvent(QKeyEvent* event)
{
    event->accept();
}

void CSplashWnd::mousePressEvent(QMouseEvent* event)
{
    event->accept();
}
