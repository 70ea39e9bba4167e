#pragma once

#include "platform/Dialog.h"
#include "texts/TextStore.h"

#include <QTimer>

class CSession;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

// One text of the library: title, kind and body, typed, pasted or imported
// from a .txt file in UTF-8 or GBK. Saving normalises the body for its kind
// and refuses characters the kind cannot hold, listing them; the screens
// the body makes are shown as it changes.
class CTextEditDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CTextEditDlg(const CSession& session, const CPracticeText& text,
                          QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int nID) override;

    // The text as stored by OK.
    const CPracticeText& Text() const { return m_text; }
    // "共 3 屏", for the body and kind shown.
    QString ScreensText() const;

    QLineEdit* m_editTitle = nullptr;
    QComboBox* m_comboKind = nullptr;
    QPlainTextEdit* m_editBody = nullptr;

private:
    int Kind() const;
    void ShowScreens();
    void Import();
    bool Refuse(const QString& text, int nFocusID);

    const CSession& m_session;
    CPracticeText m_text;
    // The screens are counted again once typing pauses: a long body takes
    // a moment to count.
    QTimer m_screensTimer;
};
