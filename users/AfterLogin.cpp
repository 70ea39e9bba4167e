#include "users/AfterLogin.h"

#include <QCoreApplication>
#include <QTimer>

#include <map>

namespace AfterLogin {

namespace {
std::map<int, Notice>& Notices()
{
    static std::map<int, Notice> notices;
    return notices;
}
} // namespace

int Add(Notice notice)
{
    static int last = 0;
    Notices().emplace(++last, std::move(notice));
    return last;
}

void Remove(int number)
{
    Notices().erase(number);
}

void Schedule()
{
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        // A copy: a notice may open windows whose owners come and go.
        const std::map<int, Notice> notices = Notices();
        for (const auto& [number, notice] : notices)
            notice();
    });
}

} // namespace AfterLogin
