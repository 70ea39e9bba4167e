#include "bench/BenchLesson.h"

#include "course/CoursePlan.h"
#include "course/KeyboardView.h"
#include "course/LessonView.h"
#include "practice/QeView.h"
#include "users/Session.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPaintEvent>

#include <benchmark/benchmark.h>

namespace {

// Counts the paint events of a widget and the pixels they ask for.
class CPaintArea : public QObject
{
public:
    qint64 m_nPaints = 0;
    qint64 m_nPixels = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++m_nPaints;
            for (const QRect& rect : static_cast<QPaintEvent*>(event)->region())
                m_nPixels += qint64(rect.width()) * rect.height();
        }
        return QObject::eventFilter(watched, event);
    }
};

CLessonView* ShowLesson(CQeView* view)
{
    auto* screen =
        new CLessonView(CSession::Instance(), CoursePlan::Course(CoursePlan::Fingering), 1);
    view->ShowScreen(screen);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the lesson it replaced
    return screen;
}

void BM_LessonKeystroke(benchmark::State& state, CQeView* view)
{
    CLessonView* screen = ShowLesson(view);
    CPaintArea text;
    CPaintArea keyboard;
    const auto watch = [&](CLessonView* lesson) {
        lesson->installEventFilter(&text);
        lesson->Keyboard()->installEventFilter(&keyboard);
    };
    watch(screen);
    const int lastKey = screen->Session().Lesson().Keystrokes() - 1;
    int typed = 0;
    qint64 keys = 0;
    for (auto _ : state) {
        if (typed == lastKey) { // the last key would end the lesson
            state.PauseTiming();
            screen = ShowLesson(view);
            watch(screen);
            typed = 0;
            state.ResumeTiming();
        }
        const QString ch(screen->Session().Expected());
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, ch);
        QCoreApplication::sendEvent(screen, &press);
        QCoreApplication::sendPostedEvents();
        ++typed;
        ++keys;
    }
    if (text.m_nPaints < keys)
        state.SkipWithError("a keystroke was not painted");
    const QSize board = screen->Keyboard()->size();
    state.counters["keyboard_share_per_key"] =
        double(keyboard.m_nPixels) / double(keys) / (double(board.width()) * board.height());
    view->CloseScreen();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

void RegisterLessonBenchmarks(CQeView* view)
{
    benchmark::RegisterBenchmark("Keystroke/lesson+backing_store", BM_LessonKeystroke, view)
        ->Unit(benchmark::kMicrosecond);
}
