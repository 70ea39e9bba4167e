#pragma once

#include "platform/Dialog.h"
#include "texts/TextStore.h"

#include <QList>

#include <functional>

class CListCtrl;
class CSession;

// 练习文章: the teacher's library of texts, stored in the database so that
// every machine of the lab sees the same ones. New, edit and delete; a text
// an exam is set on is not deleted.
class CTextLibraryDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CTextLibraryDlg(const CSession& session, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnCommand(int nID) override;

    CListCtrl* m_listTexts = nullptr;
    const QList<CPracticeText>& Texts() const { return m_texts; }

private:
    // Makes the change (if any) on the session's worker and reads the
    // library again.
    void AfterChange(std::function<void(CDaoDatabase& own)> change,
                     std::function<void()> afterFailure = {});
    void Show();
    void EditText(const CPracticeText& text);
    void DeleteSelected();
    void AskToDelete(qint64 id, const QString& title, const QStringList& exams,
                     const QStringList& assignments);
    const CPracticeText* Selected() const;

    const CSession& m_session;
    QList<CPracticeText> m_texts;
};
