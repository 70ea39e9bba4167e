#include "platform/ChineseOrder.h"

#include <QCollator>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// 一 to 九十九 as a number; -1 for anything else.
int ChineseNumber(const QString& numerals)
{
    static const QString Digits = u"零一二三四五六七八九"_s;
    const qsizetype ten = numerals.indexOf(u'十');
    if (ten < 0)
        return numerals.size() == 1 ? int(Digits.indexOf(numerals[0])) : -1;
    const QString tens = numerals.left(ten);
    const QString ones = numerals.mid(ten + 1);
    if (tens.size() > 1 || ones.size() > 1)
        return -1;
    return (tens.isEmpty() ? 1 : int(Digits.indexOf(tens[0]))) * 10 +
           (ones.isEmpty() ? 0 : int(Digits.indexOf(ones[0])));
}

// Numbers that count grades, classes, volumes and lessons (三年级二班,
// 第十二课) in digits, so that 一年级 sorts before 二年级 and 十年级 after
// 九年级 where pinyin would put 一 (yi) last.
QString CountsAsDigits(const QString& text)
{
    // Most names count nothing: no pattern to run for each comparison of a
    // sort.
    static const QString Counters = u"年班册课元级章节组"_s;
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return Counters.contains(c); }))
        return text;
    static const QRegularExpression Counted(
        u"[零一二三四五六七八九十]+(?=年级|班|册|课|单元|级|章|节|组)"_s);
    QString out = text;
    for (qsizetype from = 0;;) {
        const QRegularExpressionMatch match = Counted.match(out, from);
        if (!match.hasMatch())
            return out;
        const int number = ChineseNumber(match.captured());
        const QString digits = number < 0 ? match.captured() : QString::number(number);
        out.replace(match.capturedStart(), match.capturedLength(), digits);
        from = match.capturedStart() + digits.size();
    }
}

} // namespace

int CompareChinese(const QString& a, const QString& b)
{
    static const QCollator collator = [] {
        QCollator pinyin(QLocale(QLocale::Chinese, QLocale::China));
        pinyin.setNumericMode(true);
        return pinyin;
    }();
    return collator.compare(CountsAsDigits(a), CountsAsDigits(b));
}
