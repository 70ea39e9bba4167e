#include "platform/ChineseOrder.h"

#include <QCollator>
#include <QLocale>

int CompareChinese(const QString& a, const QString& b)
{
    static const QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
    return collator.compare(a, b);
}
