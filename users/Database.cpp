#include "users/Database.h"

#include "platform/DaoErrorText.h"
#include "platform/DaoTransaction.h"
#include "platform/Platform.h"
#include "users/SchemaUpgrade.h"
#include "users/ServerAccounts.h"
#include "users/Session.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLocale>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using Kind = CDaoFieldValue::Kind;

CDaoDatabase* ActiveDatabase()
{
    return CSession::Instance().Database();
}

CDaoDatabase* OpenUserDatabase(const CDatabaseSteps& steps)
{
    auto* db = new CDaoDatabase;
    try {
        // The machine's line runs with the program's own timeouts, whatever
        // a pupil set on it.
        db->Open(CDaoDatabase::WithSessionSettings(CDaoDatabase::DefaultTarget(),
                                                   ServerAccounts::LabLineSettings()));
    } catch (const CDaoException& e) {
        ReportDaoError(e);
        delete db;
        return nullptr;
    }
    // An older database is upgraded before anything reads it; one that
    // cannot be, or is newer than the program, is left as it is.
    try {
        UpgradeSchema(*db, steps);
    } catch (const CDaoException& e) {
        AfxMessageBox(e.GetErrorMessage());
        delete db;
        return nullptr;
    }
    return db;
}

CDaoDatabase* GuardedDatabase()
{
    return CSession::Instance().GuardedDatabase();
}

bool CommandGuard()
{
    return GuardedDatabase() != nullptr;
}

std::function<void()> Guarded(std::function<void()> action)
{
    return CSession::Instance().Guarded(std::move(action));
}

QString VariantToText(const CDaoFieldValue& value)
{
    switch (value.kind) {
    case Kind::Int16:
    case Kind::Int32:
        return QString::number(value.value.toInt());
    case Kind::Float:
    case Kind::Double:
        return QString::asprintf("%f", value.value.toDouble());
    case Kind::Currency: {
        QLocale locale;
        locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
        return locale.toString(value.value.toDouble(), 'f', QLocale::FloatingPointShortest);
    }
    case Kind::Date: {
        const QDate date = value.value.toDateTime().date();
        return date.isValid() ? date.toString(u"yyyy-MM-dd"_s) : QString();
    }
    case Kind::Text:
        return value.value.toString();
    case Kind::Bool:
        return value.value.toBool() ? u"TRUE"_s : u"FALSE"_s;
    case Kind::Error:
        return u"VT_ERROR"_s;
    case Kind::UInt8:
        return u"VT_UI2"_s;
    case Kind::Null:
        break;
    }
    return {};
}

void ReportDaoError(const CDaoException& e)
{
    AfxMessageBox(u"错误信息:%1"_s.arg(ExplainDaoError(e.GetErrorMessage(1023))),
                  MB_OK | MB_ICONEXCLAMATION);
}

bool OpenScan(CDaoRecordset& rs, const QString& sql)
{
    try {
        if (rs.IsOpen())
            rs.Close();
        rs.Open(dbOpenDynaset, sql, 0);
    } catch (const CDaoException& e) {
        ReportDaoError(e);
        return false;
    }
    return true;
}

bool SeekNext(CDaoRecordset& rs, int field, const QString& wanted)
{
    // A text field reads as its own text, so the engine compares for us.
    if (!rs.IsEOF() && rs.GetFieldKind(field) == Kind::Text)
        return rs.FindNext(field, wanted);
    while (!rs.IsEOF()) {
        if (VariantToText(rs.GetFieldValue(field)) == wanted)
            return true;
        rs.MoveNext();
    }
    return false;
}

QStringList ReadColumn(CDaoRecordset& rs, int field)
{
    // A long table is read in large pages with breaks in which the windows
    // paint and the clock ticks on; the user's input waits until the list is
    // read.
    QStringList texts;
    rs.ReadField(
        field, [&texts](const CDaoFieldValue& value) { texts.append(VariantToText(value)); },
        [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
    return texts;
}

namespace {

qint64 AddRow(CDaoRecordset& rs, const FieldList& fields)
{
    FieldList ordered = fields;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    rs.AddNew();
    for (const auto& [index, value] : ordered)
        rs.SetFieldValue(index, value);
    rs.Update();
    const qint64 key = rs.GetLastModifiedKey();
    rs.Close();
    return key;
}

} // namespace

bool AppendRow(CDaoDatabase* db, const QString& table, const FieldList& fields, qint64* pKey)
{
    CDaoTableDef tableDef(db);
    tableDef.Open(table);
    CDaoRecordset rs(db);
    try {
        rs.Open(&tableDef, dbOpenDynaset, dbAppendOnly | dbInconsistent);
    } catch (const CDaoException& e) {
        ReportDaoError(e);
        return false;
    }
    const qint64 key = AddRow(rs, fields);
    if (pKey)
        *pKey = key;
    return true;
}

qint64 InsertRow(CDaoDatabase& db, const QString& table, const FieldList& fields)
{
    CDaoTableDef tableDef(&db);
    tableDef.Open(table);
    CDaoRecordset rs(&db);
    rs.Open(&tableDef, dbOpenDynaset, dbAppendOnly | dbInconsistent);
    return AddRow(rs, fields);
}

void EditCurrent(CDaoRecordset& rs, const FieldList& fields)
{
    rs.Edit();
    for (const auto& [index, value] : fields)
        rs.SetFieldValue(index, value);
    rs.Update();
}

int DeleteRows(CDaoRecordset& rs, const std::function<bool(CDaoRecordset&)>& matches,
               const std::function<void()>& deleted)
{
    CDaoTransaction transaction(*rs.Database(), CDaoTransaction::OnThrow::KeepDone);
    int nDeleted = 0;
    rs.MoveFirst();
    while (!rs.IsEOF()) {
        if (matches(rs)) {
            rs.Delete();
            ++nDeleted;
            if (deleted)
                deleted();
        }
        rs.MoveNext();
    }
    transaction.Commit();
    return nDeleted;
}
