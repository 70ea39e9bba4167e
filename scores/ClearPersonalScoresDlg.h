#pragma once

#include "scores/ClearScoresDlg.h"

// Deletes the score rows of the logged-in ordinary user: those stored under
// their name and student number.
class CClearPersonalScoresDlg : public CClearScoresDlg
{
    Q_OBJECT
public:
    explicit CClearPersonalScoresDlg(QWidget* parent = nullptr);

protected:
    bool Criteria(CDaoCriteria& criteria) const override;
    QString Question(int nCount) const override;
};

// Command 32786: the database guard, then the clearing.
void OpenClearPersonalScores();
