#pragma once

#include "platform/Dao.h"
#include "users/DatabaseSteps.h"

#include <QString>

#include <functional>
#include <utility>
#include <vector>

// The database as the dialogs use it: the document's connection, the fixed
// texts, the guard messages, and the scan, append and edit/delete patterns.

// The session's connection (null when not connected): CSession::Database().
CDaoDatabase* ActiveDatabase();

// Opens the program's database (CDaoDatabase::DefaultTarget()) and brings
// its schema to the newest version, with the program's steps. On failure
// shows "错误信息:" + the engine's message through ReportDaoError (or why the
// schema could not be upgraded) and returns null: the program then runs
// without a database.
CDaoDatabase* OpenUserDatabase(const CDatabaseSteps& steps);

namespace Sql {
inline const QString ScanUsers = QStringLiteral("SELECT * FROM user");
inline const QString ScanSuperUsers = QStringLiteral("SELECT * FROM supperuser");
inline const QString ScanScores = QStringLiteral("SELECT * FROM score");
inline const QString ScanLoginHistory = QStringLiteral("SELECT * FROM loginhistory");
} // namespace Sql

namespace Guard {
inline const QString LoginNotConnected = QStringLiteral("数据库未正确连接!部分功能无法使用!");
inline const QString NewUserNotConnected = QStringLiteral("数据库未正确连接!无法添加新用户!");
inline const QString SettingsNotConnected =
    QStringLiteral("数据库未正确连接!无法对当前用户进行设置!");
inline const QString ResultNotConnected = QStringLiteral("数据库未正确连接!无法保存结果!");
inline const QString CommandNotConnected = QStringLiteral("数据库未正确连接!操作无法进行!");
} // namespace Guard

// The session's guards (CSession::GuardedDatabase and the like) for the
// program's first dialogs (users and scores), which are not handed the
// session: the active database, or, when
// there is none, nullptr after "数据库未正确连接!操作无法进行!" (caption
// "qe", exclamation).
CDaoDatabase* GuardedDatabase();
// The same for the commands: true when connected.
bool CommandGuard();
// A command's action behind that guard.
std::function<void()> Guarded(std::function<void()> action);

// Display text of a stored value (every comparison and display goes through it).
QString VariantToText(const CDaoFieldValue& value);
// Shows a caught database exception: "错误信息:" + its message, OK,
// exclamation icon, caption "qe".
void ReportDaoError(const CDaoException& e);

// Scan pattern. Opens rs as a dynaset on sql; a failure is reported with
// ReportDaoError and gives false.
bool OpenScan(CDaoRecordset& rs, const QString& sql);
// From the current record on, the first row whose field (as text) equals
// wanted exactly; the record set stays on it. False, at end-of-file, when none.
bool SeekNext(CDaoRecordset& rs, int field, const QString& wanted);
// Field `field` of every row from the first, as text, in record-set order.
// Between pages of a long table the windows paint (user input waits).
QStringList ReadColumn(CDaoRecordset& rs, int field);

// Append pattern: one new row of table with the given (position, value)
// fields set in ascending order of position. Opening the record set on the
// table is guarded (ReportDaoError, returns false); any other failure
// throws CDaoException and stores nothing. pKey, when given, receives the
// hidden key of the new row.
using FieldList = std::vector<std::pair<int, CDaoFieldValue>>;
bool AppendRow(CDaoDatabase* db, const QString& table, const FieldList& fields,
               qint64* pKey = nullptr);
// The same row appended where nobody can be shown a message (a worker
// thread): any failure, the opening too, throws CDaoException. Returns the
// new row's hidden key.
qint64 InsertRow(CDaoDatabase& db, const QString& table, const FieldList& fields);

// Edit pattern on the current record of a scan.
void EditCurrent(CDaoRecordset& rs, const FieldList& fields);

// Delete pattern: from the first record, deletes every row for which
// matches(rs) is true, in one transaction, calling deleted() after each
// deletion. Returns the number deleted. An error part-way keeps what was
// already deleted and goes on as CDaoException.
int DeleteRows(CDaoRecordset& rs, const std::function<bool(CDaoRecordset&)>& matches,
               const std::function<void()>& deleted = {});
