#pragma once

#include "scores/ClearScoresDlg.h"

// Deletes the score rows of the logged-in ordinary user (OwnScores): those
// stored under their name and student number, or on a server the account's
// own rows, through the server.
class CClearPersonalScoresDlg : public CClearScoresDlg
{
    Q_OBJECT
public:
    explicit CClearPersonalScoresDlg(QWidget* parent = nullptr);

protected:
    bool Criteria(CDaoCriteria& criteria) const override;
    void Limit(CDaoDatabase& db, CDaoSelection& selection) const override;
    bool ClearsByServer(const CDaoDatabase& db) const override;
    QString Question(int nCount) const override;
};

// Command 32786: the database guard, then the clearing.
void OpenClearPersonalScores();
