#pragma once

#include "attempts/ResultStore.h"
#include "platform/Dialog.h"

#include <QString>

// The pupil's window at the end of an exam: the exam's own figures (the
// speed over the rule of the exam, the accuracy, the time, what was typed
// and the cells typed wrong) and whether the result is stored, kept on the
// machine, or refused and why. It only shows; the result is stored before.
class CExamResultDlg : public CDialog
{
    Q_OBJECT
public:
    // How the result went: what the pupil is told below the figures.
    using Storage = CSittingStored::Storage;

    CExamResultDlg(QString title, int kind, qint64 limitMs, ExamScoring::CFigures figures,
                   Storage storage, QString detail, QWidget* parent = nullptr);

    bool OnInitDialog() override;

    // The line below the figures, as shown.
    QString StorageText() const;

private:
    QString m_strTitle;
    int m_nKind;
    qint64 m_nLimitMs;
    ExamScoring::CFigures m_figures;
    Storage m_storage;
    QString m_strDetail;
};
