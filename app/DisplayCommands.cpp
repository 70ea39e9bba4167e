#include "app/DisplayCommands.h"

#include "app/MainFrame.h"
#include "platform/DisplayScale.h"
#include "platform/Platform.h"
#include "res/CommandIds.h"

#include <QGuiApplication>
#include <QScreen>

using namespace Qt::Literals::StringLiterals;

namespace {

// The percent of a command: 0 for automatic, -1 for another command.
int PercentOf(int nID)
{
    if (nID == ID_DISPLAY_AUTO)
        return 0;
    const QList<int>& steps = DisplayScale::Steps();
    const int index = nID - ID_DISPLAY_100;
    return index >= 0 && index < steps.size() ? steps[index] : -1;
}

QSize WorkArea()
{
    // Measured at the scale in effect, in pixels at 100 %.
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QSize logical = screen->availableGeometry().size();
    const double factor = DisplayScale::AppliedPercent() / 100.0;
    return {int(logical.width() * factor), int(logical.height() * factor)};
}

} // namespace

int CDisplayCommands::StartPercent()
{
    const int chosen = DisplayScale::ChosenPercent();
    return chosen != 0 ? chosen : DisplayScale::FitPercent(WorkArea(), CMainFrame::OuterSize);
}

bool CDisplayCommands::OnCmdMsg(int nID)
{
    const int percent = PercentOf(nID);
    if (percent < 0)
        return false;
    if (percent == DisplayScale::ChosenPercent())
        return true;
    DisplayScale::SetChosenPercent(percent);
    const int next = StartPercent();
    QString text = percent == 0 ? u"显示比例已设为自动:这台计算机的屏幕上为 %1%。"_s.arg(next)
                                : u"显示比例已设为 %1%。"_s.arg(next);
    // Qt fixes the scale before the first window; the next start takes it.
    if (next != DisplayScale::AppliedPercent())
        text += u"下次启动本程序时生效。"_s;
    Platform().MessageBox(m_pOwner, text, u"提示"_s, MB_OK | MB_ICONINFORMATION);
    return true;
}

bool CDisplayCommands::HasCommandHandler(int nID) const
{
    return PercentOf(nID) >= 0;
}

bool CDisplayCommands::OnUpdateCmdUI(CCmdUI& cmdUI)
{
    const int percent = PercentOf(cmdUI.m_nID);
    if (percent < 0)
        return false;
    cmdUI.SetCheck(percent == DisplayScale::ChosenPercent());
    return true;
}
