#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// One cell of an exported table, typed so that a spreadsheet receives
// numbers as numbers: text, a whole number, a number with a fixed count of
// decimals, or a duration; or nothing at all.
struct CExportCell
{
    enum class Kind { Empty, Text, Integer, Number, Duration };

    Kind kind = Kind::Empty;
    QString strText;   // Text
    double dValue = 0; // Integer and Number; Duration in milliseconds
    int nDecimals = 0; // Number

    static CExportCell Text(const QString& text) { return {Kind::Text, text, 0, 0}; }
    static CExportCell Integer(qint64 value) { return {Kind::Integer, {}, double(value), 0}; }
    // The value as shown, rounded to its decimals, so that a spreadsheet
    // holds 3.7 where the window shows 3.7, not 3.666666666666667.
    static CExportCell Number(double value, int decimals)
    {
        return {Kind::Number, {}, QString::number(value, 'f', decimals).toDouble(), decimals};
    }
    static CExportCell Duration(qint64 milliseconds)
    {
        return {Kind::Duration, {}, double(milliseconds), 0};
    }

    bool IsEmpty() const { return kind == Kind::Empty; }
    bool IsNumeric() const { return kind != Kind::Empty && kind != Kind::Text; }
    // As the screen and the printout show it: "25.3", "1分05秒".
    QString DisplayText() const;
    // As a CSV file holds it: numbers with a point, durations as h:mm:ss.
    QString CsvText() const;
};

// A row's cells as a list shows them (DisplayText).
QStringList DisplayTexts(const QList<CExportCell>& row);

// "1分05秒", or "45秒" under a minute (whole seconds, truncated).
QString DurationText(qint64 elapsedMs);
