#include "platform/DaoOffThread.h"

#include <atomic>

using namespace Qt::Literals::StringLiterals;

namespace {

std::atomic<int> g_nTimeoutMs{15000};
std::atomic<int> g_nAbandoned{0};

} // namespace

namespace OffThread {

QString NoAnswerMessage()
{
    return u"数据库服务器没有回应(超过 %1 秒)。"_s.arg((TimeoutMs() + 999) / 1000);
}

int TimeoutMs()
{
    return g_nTimeoutMs;
}

void SetTimeoutMs(int milliseconds)
{
    g_nTimeoutMs = milliseconds;
}

int Abandoned()
{
    return g_nAbandoned;
}

void CountAbandoned(int delta)
{
    g_nAbandoned += delta;
}

} // namespace OffThread
