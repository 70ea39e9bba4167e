#include "platform/Platform.h"

#include "platform/HeadlessPlatform.h"

using namespace Qt::Literals::StringLiterals;

namespace {
CHeadlessPlatform g_headless;
IPlatform* g_platform = &g_headless;
} // namespace

IPlatform& Platform()
{
    return *g_platform;
}

void SetPlatform(IPlatform* platform)
{
    g_platform = platform ? platform : &g_headless;
}

int AfxMessageBox(const QString& text, unsigned flags)
{
    if ((flags & MB_ICONMASK) == 0)
        flags |= MB_ICONEXCLAMATION;
    return Platform().MessageBox(nullptr, text, u"qe"_s, flags);
}
