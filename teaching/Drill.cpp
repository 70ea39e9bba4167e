#include "teaching/Drill.h"

#include "attempts/CheckedSql.h"
#include "attempts/PracticeKind.h"
#include "platform/Dao.h"
#include "platform/Gbk.h"
#include "practice/QeDoc.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedSql;

namespace {

// The bytes of a unit in its layout, or none when a screen cannot hold it.
QByteArray UnitBytes(const QString& text, int kind)
{
    const QByteArray bytes = Gbk::Encode(text);
    if (kind == PracticeKind::Chinese) {
        // A Chinese character, or a visible key with its space.
        const bool bDouble = bytes.size() == 2 && Gbk::IsLeadByte(uchar(bytes[0]));
        const bool bPadded = bytes.size() == 2 && uchar(bytes[0]) > 0x20 &&
                             uchar(bytes[0]) < 0x7F && bytes[1] == ' ';
        return bDouble || bPadded ? bytes : QByteArray();
    }
    return bytes.size() == 1 && uchar(bytes[0]) > 0x20 && uchar(bytes[0]) < 0x7F ? bytes
                                                                                   : QByteArray();
}

// How many times each unit comes, in proportion to its count, each at
// least once, total in all.
QList<int> Shares(const QList<Drill::CUnit>& units, int total)
{
    qint64 sum = 0;
    for (const Drill::CUnit& unit : units)
        sum += qMax(unit.nCount, 1);
    QList<int> shares;
    int given = 0;
    for (const Drill::CUnit& unit : units) {
        const int share =
            qMax(1, int(std::floor(double(total) * qMax(unit.nCount, 1) / double(sum))));
        shares.append(share);
        given += share;
    }
    // What rounding left over (or took too much) goes round from the most
    // mistyped on.
    for (qsizetype i = 0; given != total; i = (i + 1) % shares.size()) {
        if (given < total) {
            ++shares[i];
            ++given;
        } else if (shares[i] > 1) {
            --shares[i];
            --given;
        }
    }
    return shares;
}

// The units' indexes shuffled, then mended where one follows itself.
QList<int> Order(const QList<int>& shares, quint32 seed)
{
    QList<int> order;
    for (qsizetype i = 0; i < shares.size(); ++i)
        order.append(QList<int>(shares[i], int(i)));
    QRandomGenerator random(seed);
    std::shuffle(order.begin(), order.end(), random);
    for (qsizetype i = 1; i < order.size(); ++i) {
        if (order[i] != order[i - 1])
            continue;
        for (qsizetype j = i + 1; j < order.size(); ++j) {
            if (order[j] != order[i] && (j + 1 >= order.size() || order[j + 1] != order[i]) &&
                order[j - 1] != order[i]) {
                std::swap(order[i], order[j]);
                break;
            }
        }
    }
    return order;
}

} // namespace

namespace Drill {

QList<CUnit> RecentMistakes(CDaoDatabase& db, qint64 userKey, int kind)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT m.expected, COUNT(*) FROM attempt_mistake m JOIN "
                  "(SELECT id FROM attempt WHERE user_key = ? AND kind = ? "
                  "ORDER BY started_at DESC, id DESC LIMIT ?) a ON a.id = m.attempt_id "
                  "GROUP BY m.expected"_s);
    query.addBindValue(userKey);
    query.addBindValue(kind);
    query.addBindValue(RecentAttempts);
    Exec(query);
    QList<CUnit> units;
    while (query.next()) {
        const QString text = query.value(0).toString();
        if (!UnitBytes(text, kind).isEmpty())
            units.append({text, query.value(1).toInt()});
    }
    CheckRead(query);
    std::sort(units.begin(), units.end(), [](const CUnit& a, const CUnit& b) {
        return a.nCount != b.nCount ? a.nCount > b.nCount : a.strText < b.strText;
    });
    if (units.size() > MostUnits)
        units.resize(MostUnits);
    return units;
}

QByteArray ScreenText(const QList<CUnit>& units, int kind, quint32 seed)
{
    QList<QByteArray> bytes;
    QList<CUnit> kept;
    for (const CUnit& unit : units) {
        const QByteArray unitBytes = UnitBytes(unit.strText, kind);
        if (!unitBytes.isEmpty()) {
            bytes.append(unitBytes);
            kept.append(unit);
        }
    }
    if (kept.isEmpty())
        return {};
    const bool bChinese = kind == PracticeKind::Chinese;
    constexpr int Group = 5;
    // A Chinese screen has 644 cells; a single-byte one 1288 columns, of
    // which every sixth is a space between groups.
    const int screen = CQeDoc::Rows * CQeDoc::Columns;
    const int total = bChinese ? screen / 2 : screen / (Group + 1) * Group;
    QByteArray text;
    text.reserve(screen);
    int inGroup = 0;
    for (const int index : Order(Shares(kept, total), seed)) {
        text.append(bytes[index]);
        if (!bChinese && ++inGroup == Group) {
            text.append(' ');
            inGroup = 0;
        }
    }
    return text;
}

} // namespace Drill
