#pragma once

#include "attempts/Progress.h"
#include "platform/Dialog.h"

#include <QList>
#include <QString>

class CListCtrl;
class CProgressChart;
class CSession;
class QComboBox;
class QLabel;

// 我的练习记录: a pupil's stored practices, newest first; for one chosen
// kind the speed and accuracy over time, the best and the average, and the
// characters (keys) mistyped most with what was typed instead. It only
// reads, by the pupil's user key, so that a teacher's report can open it on
// any pupil.
class CProgressDlg : public CDialog
{
    Q_OBJECT
public:
    // pupilName, when given, names the pupil in the caption (opened by a
    // teacher); without it the caption is the pupil's own.
    explicit CProgressDlg(const CSession& session, qint64 userKey, const QString& pupilName = {},
                          QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnCommand(int nID) override;

    // The kind the chart, the figures and the mistakes show.
    int ShownKind() const { return m_nKind; }
    // The selected rows of the attempt list (or, with none selected, the
    // current one) as tab-separated lines.
    QString SelectedRowsText() const;

    CListCtrl* m_listAttempts = nullptr;
    CListCtrl* m_listMistakes = nullptr;
    QComboBox* m_comboKind = nullptr;
    QLabel* m_wndFigures = nullptr;
    CProgressChart* m_pChart = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillAttempts();
    // The chart and the figures of kind; its mistakes follow.
    void ShowKind(int kind);
    void ShowMistakes(const QList<CMistakeCount>& mistakes);
    // 速度损失 and 理论码长 of the attempt in row, read from its commits;
    // nothing for an attempt without them.
    void ShowTimeLoss(int row);
    // One line of figures: the attempts of kind whose speed is in unit.
    static QString FiguresText(const CProgressFigures& figures, int kind, const QString& unit);

    const CSession& m_session;
    qint64 m_nUserKey;
    QList<CAttemptSummary> m_attempts;
    int m_nKind = 0;
};
