#include "exams/ClassTaskEditDlg.h"

#include "attempts/Metrics.h"
#include "exams/ExamStore.h"
#include "platform/Platform.h"
#include "users/DialogAsk.h"

#include <QComboBox>

using namespace Qt::Literals::StringLiterals;

CClassTaskEditDlg::CClassTaskEditDlg(const CSession& session, int nIDTemplate, QWidget* parent)
    : CDialog(nIDTemplate, parent), m_session(session)
{
}

void CClassTaskEditDlg::ShowChoices(QComboBox* texts, QComboBox* screens, CListCtrl* classes,
                                    qint64 textId, int screen, const QStringList& ticked)
{
    m_pTexts = texts;
    m_pScreens = screens;
    m_classes.SetUp(classes);
    using CChoices = std::pair<QList<CPracticeText>, QStringList>;
    AskForDialog<CChoices>(
        this, m_session,
        [](CDaoDatabase& own) {
            return CChoices{TextStore::LoadTexts(own), ExamStore::LoadClasses(own)};
        },
        [this, textId, screen, ticked](CChoices choices) {
            m_texts = std::move(choices.first);
            ShowChoices(choices.second, textId, screen, ticked);
        },
        [this] { EndDialog(IDCANCEL_RESULT); });
}

void CClassTaskEditDlg::ShowChoices(const QStringList& classNames, qint64 textId, int screen,
                                    const QStringList& ticked)
{
    m_classes.Fill(classNames, ticked);
    int current = 0;
    for (const CPracticeText& text : std::as_const(m_texts)) {
        m_screens.append(text.Screens());
        m_pTexts->addItem(u"%1(%2)"_s.arg(text.strTitle, Metrics::KindName(text.nKind)));
        if (text.nId == textId)
            current = m_pTexts->count() - 1;
    }
    m_pTexts->setCurrentIndex(m_texts.isEmpty() ? -1 : current);
    ShowScreens(screen);
}

void CClassTaskEditDlg::CheckClasses(const QStringList& classes)
{
    m_classes.Check(classes);
}

void CClassTaskEditDlg::ShowScreens(int screen)
{
    m_pScreens->clear();
    const int count = m_screens.value(m_pTexts->currentIndex(), 0);
    for (int i = 1; i <= count; ++i)
        m_pScreens->addItem(u"第 %1 屏"_s.arg(i));
    m_pScreens->setCurrentIndex(count == 0 ? -1 : qBound(1, screen, count) - 1);
}

const CPracticeText* CClassTaskEditDlg::ChosenText() const
{
    const int row = m_pTexts->currentIndex();
    return row >= 0 && row < m_texts.size() ? &m_texts[row] : nullptr;
}

int CClassTaskEditDlg::ChosenScreen() const
{
    return ChosenText() ? m_pScreens->currentIndex() + 1 : 0;
}

bool CClassTaskEditDlg::Refuse(const QString& text, int nFocusID)
{
    Platform().MessageBox(this, text, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION);
    if (QWidget* control = GetDlgItem(nFocusID))
        control->setFocus();
    return false;
}
