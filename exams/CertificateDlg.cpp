#include "exams/CertificateDlg.h"

#include "documents/TableExport.h"
#include "exams/CertificatePainter.h"
#include "exams/CompetitionStore.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/DialogAsk.h"

#include <QLineEdit>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum CertificateDlgIds::Id;

} // namespace

CCertificateDlg::CCertificateDlg(const CSession& session, const CExam& exam,
                                 QList<CExamResultRow> rows, QWidget* parent)
    : CDialog(IDD, parent), m_session(session), m_exam(exam), m_rows(std::move(rows))
{
}

bool CCertificateDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    const int winners = int(Certificates(m_exam, m_rows, {}, {}).size());
    SetDlgItemText(
        IDC_WINNERS,
        winners == 0
            ? u"比赛《%1》还没有得奖的学生。"_s.arg(m_exam.strTitle)
            : u"比赛《%1》的 %2 名得奖学生,每人一页。"_s.arg(m_exam.strTitle).arg(winners));
    GetDlgItem(IDC_PDF)->setEnabled(winners > 0);
    GetDlgItem(IDC_PRINT)->setEnabled(winners > 0);
    AskForDialog<QString>(
        this, m_session, [](CDaoDatabase& own) { return CompetitionStore::LoadSchoolName(own); },
        [this](const QString& school) { SetDlgItemText(IDC_SCHOOL, school); });
    return true;
}

void CCertificateDlg::OnCommand(int nID)
{
    if (nID != IDC_PDF && nID != IDC_PRINT)
        return;
    const QString school = GetDlgItemText(IDC_SCHOOL).trimmed();
    if (school.isEmpty()) {
        AfxMessageBox(u"请输入学校名称,它印在每张奖状上。"_s);
        SelectEditText(IDC_SCHOOL);
        return;
    }
    AskForDialog(
        this, m_session,
        [school](CDaoDatabase& own) { CompetitionStore::SaveSchoolName(own, school); },
        [this, nID, school] { Make(nID, school); });
}

void CCertificateDlg::Make(int nID, const QString& school)
{
    const CCertificatePainter certificates(
        Certificates(m_exam, m_rows, school, Platform().CurrentDateTime().date()));
    const PagePainter paint = [&certificates](QPainter& painter, QPagedPaintDevice& device) {
        certificates.Paint(painter, device);
    };
    const QString title = u"%1 奖状"_s.arg(m_exam.strTitle);
    if (nID == IDC_PDF)
        ExportPages(this, title, title, paint, QPageLayout::Landscape);
    else
        PrintPages(this, title, paint, QPageLayout::Landscape);
}
