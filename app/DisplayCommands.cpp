#include "app/DisplayCommands.h"

#include "app/MainFrame.h"
#include "platform/DisplayScale.h"
#include "platform/Platform.h"
#include "res/CommandIds.h"

#include <QGuiApplication>
#include <QScreen>

using namespace Qt::Literals::StringLiterals;

namespace {

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

CDisplayCommands::CDisplayCommands()
{
    // 自动 (0), then each step from 100 %.
    QList<Entry> entries;
    const QList<int> percents = QList<int>{0} + DisplayScale::Steps();
    for (qsizetype i = 0; i < percents.size(); ++i) {
        const int percent = percents[i];
        entries.append({i == 0 ? int(ID_DISPLAY_AUTO) : int(ID_DISPLAY_100 + i - 1),
                        [this, percent] { Choose(percent); },
                        {},
                        [percent] { return percent == DisplayScale::ChosenPercent(); }});
    }
    SetCommands(std::move(entries));
}

void CDisplayCommands::Choose(int percent)
{
    if (percent == DisplayScale::ChosenPercent())
        return;
    DisplayScale::SetChosenPercent(percent);
    const int next = StartPercent();
    QString text = percent == 0 ? u"显示比例已设为自动:这台计算机的屏幕上为 %1%。"_s.arg(next)
                                : u"显示比例已设为 %1%。"_s.arg(next);
    // Qt fixes the scale before the first window; the next start takes it.
    if (next != DisplayScale::AppliedPercent())
        text += u"下次启动本程序时生效。"_s;
    Platform().MessageBox(m_pOwner, text, u"提示"_s, MB_OK | MB_ICONINFORMATION);
}
