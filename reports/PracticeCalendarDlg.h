#pragma once

#include "attempts/PracticeTime.h"
#include "platform/Dialog.h"

class CListCtrl;
class CSession;
class QCalendarWidget;
class QComboBox;

// 练习日历: a pupil's own days tinted by the minutes practised, this week's
// minutes and days, the days in a row, and week by week over the range
// chosen the time, the days and the speed of each kind.
class CPracticeCalendarDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CPracticeCalendarDlg(const CSession& session, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnCommand(int nID) override;

    // The tint of a day that saw ms of practice; none for 0.
    static QColor Tint(qint64 ms);

    QCalendarWidget* m_pCalendar = nullptr;
    QComboBox* m_comboRange = nullptr;
    CListCtrl* m_listWeeks = nullptr;

private:
    void Show();
    void ShowWeeks();

    const CSession& m_session;
    QList<CPracticeSpan> m_spans;
};
