#include "texts/Drill.h"

#include "attempts/PracticeKind.h"
#include "platform/CheckedQuery.h"
#include "platform/Dao.h"
#include "platform/Gbk.h"
#include "practice/QeDoc.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

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

// The units' indexes, each as often as its share, drawn at random in
// proportion to what is left of each, never the unit just drawn unless
// nothing else is left; a unit that would otherwise run out of partners
// is drawn first.
QList<int> Order(QList<int> left, quint32 seed)
{
    QRandomGenerator random(seed);
    int total = 0;
    for (const int count : std::as_const(left))
        total += count;
    QList<int> order;
    order.reserve(total);
    int previous = -1;
    for (; total > 0; --total) {
        const auto most = std::max_element(left.cbegin(), left.cend()) - left.cbegin();
        int next = -1;
        if (most != previous && 2 * left[most] >= total + 1) {
            next = int(most);
        } else {
            const int others = total - (previous >= 0 ? left[previous] : 0);
            if (others == 0) {
                next = previous;
            } else {
                int pick = int(random.bounded(others));
                for (qsizetype i = 0; i < left.size(); ++i) {
                    if (i == previous)
                        continue;
                    if (pick < left[i]) {
                        next = int(i);
                        break;
                    }
                    pick -= left[i];
                }
            }
        }
        --left[next];
        order.append(next);
        previous = next;
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
