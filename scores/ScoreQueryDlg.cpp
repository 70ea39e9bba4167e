#include "scores/ScoreQueryDlg.h"

#include "platform/ListCtrl.h"
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
} // namespace

CScoreQueryDlg::CScoreQueryDlg(QWidget* parent) : CDialog(158, parent) {}

CScoreQueryDlg::~CScoreQueryDlg() = default;

bool CScoreQueryDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_listScore = Item<CListCtrl>(1024);
    SetUpReportList(m_listScore, g_columns);

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
    CDaoRecordset& rs = *m_pRecordset;
    const bool bPersonal = ScoreQueryScope == ScoreScope::Personal;
    if (!bPersonal && ScoreQueryScope != ScoreScope::Group)
        return;

    // Rows are gathered first and handed to the list in one go, so that a
    // large table lists quickly. A read that fails part-way still lists the
    // rows read before it.
    QList<QStringList> rows;
    try {
        ReadRows(rs, bPersonal, rows);
    } catch (const CDaoException&) {
        m_listScore->AppendRows(rows);
        throw;
    }
    m_listScore->AppendRows(rows);
}

void CScoreQueryDlg::ReadRows(CDaoRecordset& rs, bool bPersonal, QList<QStringList>& rows)
{
    // Personal scope: the rows stored under the logged-in user's name and
    // student number; a namesake's rows and anybody's rows before a login
    // are not the user's.
    const auto isOwn = [&rs] {
        return CurrentUser.OwnsScore(VariantToText(rs.GetFieldValue(0)),
                                     VariantToText(rs.GetFieldValue(1)));
    };
    auto nextRow = [&] {
        if (!bPersonal)
            return !rs.IsEOF();
        while (!rs.IsEOF() && !isOwn())
            rs.MoveNext();
        return !rs.IsEOF();
    };
    for (; nextRow(); rs.MoveNext()) {
        const QString kind = VariantToText(rs.GetFieldValue(3));
        QStringList row;
        row.reserve(int(g_columns.size()));
        if (bPersonal)
            row << CurrentUser.Name << CurrentUser.Class << CurrentUser.StudentNo;
        else
            row << VariantToText(rs.GetFieldValue(0)) << QString()
                << VariantToText(rs.GetFieldValue(1));
        row << kind << QString() << kind;
        for (int field = FirstShownField; field <= LastShownField; ++field)
            row << VariantToText(rs.GetFieldValue(field));
        rows.append(std::move(row));
    }
}

void OpenScoreQuery(int scope)
{
    if (!CommandGuard())
        return;
    ScoreQueryScope = scope;
    CScoreQueryDlg dlg;
    dlg.DoModal();
}
