#pragma once

#include "platform/Dialog.h"
#include "texts/TextStore.h"

#include <QList>

class CListCtrl;
class CSession;
class QComboBox;

// 选择练习文章: a text of the library and one of its screens to practise.
class CChooseTextDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CChooseTextDlg(const CSession& session, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;

    // After OK: the text and the screen chosen (from 1).
    const CPracticeText& ChosenText() const { return m_chosen; }
    int ChosenScreen() const { return m_nScreen; }

    CListCtrl* m_listTexts = nullptr;
    QComboBox* m_comboScreen = nullptr;

private:
    void ShowTexts();
    void ShowScreens();

    const CSession& m_session;
    QList<CPracticeText> m_texts;
    QList<int> m_screens; // of each text
    CPracticeText m_chosen;
    int m_nScreen = 0;
};
