#pragma once

#include "attempts/ClassReport.h"
#include "platform/Dialog.h"

#include <QList>
#include <QPointF>
#include <QStringList>

class QChartView;

// 班级图表: the class's average speed per week over the report's range, and
// how the pupils' best speeds are spread, with the count of those who did
// not practise.
class CClassChartDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CClassChartDlg(CClassReport report, QWidget* parent = nullptr);

    bool OnInitDialog() override;

    // What the charts show: (Monday in ms since the epoch, average speed)
    // per week; the bands' labels and their counts of pupils.
    QList<QPointF> WeekPoints() const;
    QStringList BandLabels() const;
    QList<int> BandCounts() const;

    QChartView* m_pWeekly = nullptr;
    QChartView* m_pBands = nullptr;

private:
    void MakeWeekly();
    void MakeBands();

    CClassReport m_report;
};
