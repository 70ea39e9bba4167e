#pragma once

#include "scores/ClearScoresDlg.h"

// Deletes every score row, whoever stored it.
class CClearGroupScoresDlg : public CClearScoresDlg
{
    Q_OBJECT
public:
    explicit CClearGroupScoresDlg(QWidget* parent = nullptr);

protected:
    bool Criteria(CDaoCriteria& criteria) const override;
    QString Question(int nCount) const override;
};

// Command 32787: the database guard, then the clearing.
void OpenClearGroupScores();

// Enable rule of command 32787: only a super user clears everybody's scores.
bool CanClearGroupScores();
