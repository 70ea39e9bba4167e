#include "scores/ScoreQueryDlg.h"

#include "attempts/Metrics.h"
#include "platform/CheckedQuery.h"
#include "platform/DaoSelection.h"
#include "platform/ListCtrl.h"
#include "scores/OwnScores.h"
#include "scores/ScoreQueryScope.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/ReportList.h"

#include <QList>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace {
const QList<ListColumn> g_columns = {
    {u"姓名"_s, 80},     {u"班级"_s, 80},     {u"学号"_s, 80},     {u"用户类型"_s, 80},
    {u"测試日期"_s, 80}, {u"成绩类型"_s, 80}, {u"中文成绩"_s, 80}, {u"英文成绩"_s, 80},
    {u"数字成绩"_s, 80}, {u"符号成绩"_s, 80}, {u"所用时间"_s, 60}, {u"正确率"_s, 80},
};

// Columns 6 to 11 show fields 4 to 9 of the row.
constexpr int FirstShownField = 4;
constexpr int LastShownField = 9;

// The score rows a server keeps in doubt (可疑) until a teacher confirms
// them; a database file has none. Throws CDaoException.
QSet<qint64> ScoresInDoubt(CDaoDatabase& db)
{
    QSqlQuery query(db.Connection());
    CheckedQuery::Select(query, u"SELECT score_key FROM score_doubt"_s);
    CheckedQuery::Exec(query);
    QSet<qint64> keys;
    while (query.next())
        keys.insert(query.value(0).toLongLong());
    CheckedQuery::CheckRead(query);
    return keys;
}
} // namespace

CScoreQueryDlg::CScoreQueryDlg(QWidget* parent) : CDialog(158, parent) {}

CScoreQueryDlg::~CScoreQueryDlg() = default;

bool CScoreQueryDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_listScore = Item<CListCtrl>(1024);
    SetUpTrackingReportList(m_listScore, g_columns);

    CDaoDatabase* db = ActiveDatabase();
    if (!db)
        return true;
    m_pRecordset = std::make_unique<CDaoRecordset>(db);
    if (!OpenScan(*m_pRecordset, Sql::ScanScores)) {
        m_pRecordset.reset();
        return true;
    }
    FillList();
    return true;
}

void CScoreQueryDlg::FillList()
{
    m_bPersonal = ScoreQueryScope == ScoreScope::Personal;
    if (!m_bPersonal && ScoreQueryScope != ScoreScope::Group)
        return;
    // Personal scope: the logged-in user's own rows (OwnScores); a
    // namesake's rows and anybody's rows before a login are not the user's.
    CDaoCriteria criteria;
    if (m_bPersonal) {
        if (!CurrentUser.IsOrdinaryLogin())
            return;
        criteria = OwnScores::Criteria(*m_pRecordset->Database());
        m_userCells = {CurrentUser.Name, CurrentUser.Class, CurrentUser.StudentNo};
    }
    // Counted now and read as the list shows them: a large table lists at
    // once, and only the rows seen are held.
    try {
        m_inDoubt = ScoresInDoubt(*m_pRecordset->Database());
    } catch (const CDaoException& e) {
        ReportDaoError(e);
    }
    m_pSelection = std::make_unique<CDaoSelection>(m_pRecordset->Database(), u"score"_s, criteria);
    if (m_bPersonal)
        OwnScores::Limit(*m_pRecordset->Database(), *m_pSelection);
    const int nRows = m_pSelection->Count();
    m_listScore->SetRowSource(nRows,
                              [this](int nFirst, int nCount) { return ReadRows(nFirst, nCount); });
}

QList<QStringList> CScoreQueryDlg::ReadRows(int nFirst, int nCount)
{
    QList<QList<CDaoFieldValue>> stored;
    QList<qint64> keys;
    try {
        stored = m_pSelection->Read(nFirst, nCount, &keys);
    } catch (const CDaoException& e) {
        ReportReadError(e);
    }
    QList<QStringList> rows;
    rows.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QList<CDaoFieldValue>& fields = stored[i];
        const QString kind = VariantToText(fields.value(3));
        QStringList row;
        row.reserve(int(g_columns.size()));
        if (m_bPersonal)
            row << m_userCells;
        else
            row << VariantToText(fields.value(0)) << QString() << VariantToText(fields.value(1));
        row << kind << QString()
            << (m_inDoubt.contains(keys.value(i)) ? kind + u" "_s + Metrics::InDoubt : kind);
        for (int field = FirstShownField; field <= LastShownField; ++field)
            row << VariantToText(fields.value(field));
        rows.append(std::move(row));
    }
    return rows;
}

void CScoreQueryDlg::ReportReadError(const CDaoException& e)
{
    if (m_bReadFailed)
        return;
    m_bReadFailed = true;
    // The list asks for rows while it paints; a message box cannot open there.
    QMetaObject::invokeMethod(
        this, [e] { ReportDaoError(e); }, Qt::QueuedConnection);
}

void OpenScoreQuery(int scope)
{
    if (!CommandGuard())
        return;
    ScoreQueryScope = scope;
    CScoreQueryDlg dlg;
    dlg.DoModal();
}
