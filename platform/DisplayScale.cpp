#include "platform/DisplayScale.h"

#include <QGuiApplication>
#include <QSettings>
#include <QtGui/private/qhighdpiscaling_p.h>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace DisplayScale {

namespace {

const QString Key = u"display/scale"_s;
int g_nApplied = 100;

} // namespace

const QList<int>& Steps()
{
    static const QList<int> steps{100, 125, 150, 175, 200, 250, 300};
    return steps;
}

int FitPercent(const QSize& workArea, const QSize& window)
{
    int best = Steps().first();
    for (int percent : Steps()) {
        // Qt rounds a scaled window's size to whole pixels.
        const int width = int(std::lround(window.width() * percent / 100.0));
        const int height = int(std::lround(window.height() * percent / 100.0));
        if (width <= workArea.width() && height <= workArea.height())
            best = percent;
    }
    return best;
}

int ChosenPercent()
{
    const int percent = QSettings().value(Key, 0).toInt();
    return Steps().contains(percent) ? percent : 0;
}

void SetChosenPercent(int percent)
{
    QSettings settings;
    if (Steps().contains(percent))
        settings.setValue(Key, percent);
    else
        settings.remove(Key);
}

// Qt's own high-DPI scaling, as QT_SCALE_FACTOR sets it at start, but set
// after the screen's size is known: layouts, fonts and painting stay in
// their logical pixels and Qt maps them to the device.
void Apply(int percent)
{
    if (!Steps().contains(percent))
        percent = 100;
    QHighDpiScaling::setGlobalFactor(percent / 100.0);
    g_nApplied = percent;
}

int AppliedPercent()
{
    return g_nApplied;
}

} // namespace DisplayScale
