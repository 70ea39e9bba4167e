#include "platform/HeadlessPlatform.h"

#include <chrono>
#include <cstdio>

#include <unistd.h>

int CHeadlessPlatform::MessageBox(QWidget*, const QString& text, const QString& caption,
                                  unsigned flags)
{
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(caption), qUtf8Printable(text));
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return IDCANCEL;
    case MB_YESNO:
        return IDNO;
    default:
        return IDOK;
    }
}

int CHeadlessPlatform::RunModal(QDialog*)
{
    return IDCANCEL;
}

void CHeadlessPlatform::TrackPopupMenu(QMenu*, const QPoint&) {}

void CHeadlessPlatform::OpenUrl(const QString&) {}

void CHeadlessPlatform::Beep() {}

QTime CHeadlessPlatform::CurrentTime()
{
    return QTime::currentTime();
}

QDateTime CHeadlessPlatform::CurrentDateTime()
{
    return QDateTime::currentDateTime();
}

qint64 CHeadlessPlatform::MonotonicMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void CHeadlessPlatform::ExitProcess(int status)
{
    ::_exit(status);
}

InputMethodState CHeadlessPlatform::InputMethod()
{
    return InputMethodState::Active;
}

QString CHeadlessPlatform::GetSaveFileName(QWidget*, const QString&, const QString&, const QString&)
{
    return {};
}

QString CHeadlessPlatform::GetOpenFileName(QWidget*, const QString&, const QString&, const QString&)
{
    return {};
}

bool CHeadlessPlatform::SetUpPrinter(QWidget*, QPrinter*)
{
    return false;
}
