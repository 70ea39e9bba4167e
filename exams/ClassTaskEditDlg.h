#pragma once

#include "classroom/ClassChecklist.h"
#include "platform/Dialog.h"
#include "texts/TextStore.h"

#include <QList>

class CListCtrl;
class CSession;
class QComboBox;

// The editor of a task set for some classes (an exam, an assignment): the
// library's texts with their screens, the classes ticked in a list, the
// refusal that names its field.
class CClassTaskEditDlg : public CDialog
{
    Q_OBJECT
public:
    // Ticks the classes named and clears the others (as a teacher would).
    void CheckClasses(const QStringList& classes);

protected:
    CClassTaskEditDlg(const CSession& session, int nIDTemplate, QWidget* parent);

    // Reads the texts and the classes on the session's worker and shows
    // them: the text textId (else the first) at its screen, the classes
    // ticked. The dialog ends when the database failed.
    void ShowChoices(QComboBox* texts, QComboBox* screens, CListCtrl* classes, qint64 textId,
                     int screen, const QStringList& ticked);
    // The screens of the text chosen, with the one given chosen.
    void ShowScreens(int screen);
    // The text chosen (null when none) and its screen (0 when none).
    const CPracticeText* ChosenText() const;
    int ChosenScreen() const;
    QStringList CheckedClasses() const { return m_classes.Checked(); }

    // Shows why the form is refused and puts the focus on its field; false.
    bool Refuse(const QString& text, int nFocusID);

    const CSession& m_session;

private:
    void ShowChoices(const QStringList& classNames, qint64 textId, int screen,
                     const QStringList& ticked);

    QComboBox* m_pTexts = nullptr;
    QComboBox* m_pScreens = nullptr;
    QList<CPracticeText> m_texts;
    QList<int> m_screens; // each text's screen count, read once
    CClassChecklist m_classes;
};
