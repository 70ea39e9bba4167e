#include "texts/TextScreens.h"

#include "texts/TextStore.h"

CPracticeScreen TextScreen(const CPracticeText& text, int screen)
{
    CPracticeScreen practice;
    practice.nKind = text.nKind;
    practice.text = text.FileBytes();
    practice.nScreen = screen;
    practice.strTitle = text.strTitle;
    practice.nTextId = text.nId;
    return practice;
}

CPracticeScreen DrillScreen(int kind, const QByteArray& text, const QString& title)
{
    CPracticeScreen practice;
    practice.nKind = kind;
    practice.text = text;
    practice.strTitle = title;
    return practice;
}
