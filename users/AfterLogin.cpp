#include "users/AfterLogin.h"

#include <QCoreApplication>
#include <QTimer>

#include <map>

namespace {

using Notices = std::map<int, AfterLogin::Notice>;

int AddTo(Notices& notices, AfterLogin::Notice notice)
{
    static int last = 0;
    notices.emplace(++last, std::move(notice));
    return last;
}

Notices& LoginNotices()
{
    static Notices notices;
    return notices;
}

Notices& LogOffNotices()
{
    static Notices notices;
    return notices;
}

} // namespace

namespace AfterLogin {

int Add(Notice notice)
{
    return AddTo(LoginNotices(), std::move(notice));
}

void Remove(int number)
{
    LoginNotices().erase(number);
}

void Schedule()
{
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        // A copy: a notice may open windows whose owners come and go.
        const Notices notices = LoginNotices();
        for (const auto& [number, notice] : notices)
            notice();
    });
}

} // namespace AfterLogin

namespace BeforeLogOff {

int Add(AfterLogin::Notice notice)
{
    return AddTo(LogOffNotices(), std::move(notice));
}

void Remove(int number)
{
    LogOffNotices().erase(number);
}

void Run()
{
    const Notices notices = LogOffNotices();
    for (const auto& [number, notice] : notices)
        notice();
}

} // namespace BeforeLogOff
