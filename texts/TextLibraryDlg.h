#pragma once

#include "platform/Dialog.h"
#include "texts/TextStore.h"

#include <QList>

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
    void Reload();
    void EditText(const CPracticeText& text);
    void DeleteSelected();
    const CPracticeText* Selected() const;

    const CSession& m_session;
    QList<CPracticeText> m_texts;
};
