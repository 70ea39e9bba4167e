#include "platform/Platform.h"

#include "platform/QtPlatform.h"

using namespace Qt::Literals::StringLiterals;

namespace {
CQtPlatform g_qtPlatform;
IPlatform* g_platform = &g_qtPlatform;
} // namespace

IPlatform& Platform()
{
    return *g_platform;
}

void SetPlatform(IPlatform* platform)
{
    g_platform = platform ? platform : &g_qtPlatform;
}

int AfxMessageBox(const QString& text, unsigned flags)
{
    if ((flags & MB_ICONMASK) == 0)
        flags |= MB_ICONEXCLAMATION;
    return Platform().MessageBox(nullptr, text, u"qe"_s, flags);
}
