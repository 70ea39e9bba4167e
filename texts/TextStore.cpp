#include "texts/TextStore.h"

#include "attempts/AttemptStore.h"
#include "platform/CheckedQuery.h"
#include "platform/ChineseOrder.h"
#include "platform/Dao.h"
#include "platform/Platform.h"
#include "practice/PracticeScreen.h"
#include "texts/TextRules.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

namespace {

CPracticeText Read(const QSqlQuery& query)
{
    CPracticeText text;
    text.nId = query.value(0).toLongLong();
    text.strTitle = query.value(1).toString();
    text.nKind = query.value(2).toInt();
    text.strBody = query.value(3).toString();
    text.updatedAt = ParseStoredDateTime(query.value(4));
    return text;
}

const QString Columns = u"SELECT id, title, kind, body, updated_at FROM practice_text "_s;

QStringList Titles(CDaoDatabase& db, const QString& sql, qint64 id)
{
    QSqlQuery query(db.Connection());
    Select(query, sql);
    query.addBindValue(id);
    Exec(query);
    QStringList titles;
    while (query.next())
        titles.append(query.value(0).toString());
    CheckRead(query);
    return titles;
}

} // namespace

QByteArray CPracticeText::FileBytes() const
{
    return TextRules::FileBytes(strBody, nKind);
}

int CPracticeText::Screens() const
{
    return ScreenCount(FileBytes(), nKind);
}

namespace TextStore {

QList<CPracticeText> LoadTexts(CDaoDatabase& db)
{
    QSqlQuery query(db.Connection());
    Select(query, Columns + u"ORDER BY id"_s);
    Exec(query);
    QList<CPracticeText> texts;
    while (query.next())
        texts.append(Read(query));
    CheckRead(query);
    std::stable_sort(texts.begin(), texts.end(), [](const auto& a, const auto& b) {
        return CompareChinese(a.strTitle, b.strTitle) < 0;
    });
    return texts;
}

std::optional<CPracticeText> LoadText(CDaoDatabase& db, qint64 id)
{
    QSqlQuery query(db.Connection());
    Select(query, Columns + u"WHERE id = ?"_s);
    query.addBindValue(id);
    Exec(query);
    if (query.next())
        return Read(query);
    CheckRead(query);
    return std::nullopt;
}

qint64 SaveText(CDaoDatabase& db, const CPracticeText& text)
{
    QSqlQuery query(db.Connection());
    const QString now = StoredDateTime(Platform().CurrentDateTime());
    if (text.nId == 0) {
        Prepare(query, u"INSERT INTO practice_text (title, kind, body, updated_at) "
                       "VALUES (?, ?, ?, ?) RETURNING id"_s);
    } else {
        Prepare(query, u"UPDATE practice_text SET title = ?, kind = ?, body = ?, updated_at = ? "
                       "WHERE id = ? RETURNING id"_s);
    }
    query.addBindValue(text.strTitle);
    query.addBindValue(text.nKind);
    query.addBindValue(text.strBody);
    query.addBindValue(now);
    if (text.nId != 0)
        query.addBindValue(text.nId);
    Exec(query);
    if (!query.next())
        throw CDaoException(u"the text was deleted meanwhile"_s);
    return query.value(0).toLongLong();
}

void DeleteText(CDaoDatabase& db, qint64 id)
{
    QSqlQuery query(db.Connection());
    Prepare(query, u"DELETE FROM practice_text WHERE id = ?"_s);
    query.addBindValue(id);
    Exec(query);
}

QStringList ExamsUsing(CDaoDatabase& db, qint64 id)
{
    return Titles(db, u"SELECT title FROM exam WHERE text_id = ? ORDER BY id"_s, id);
}

QStringList AssignmentsUsing(CDaoDatabase& db, qint64 id)
{
    return Titles(db, u"SELECT title FROM assignment WHERE text_id = ? ORDER BY id"_s, id);
}

} // namespace TextStore
