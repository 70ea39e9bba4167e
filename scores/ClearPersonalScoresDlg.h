#pragma once

#include "scores/ClearScoresDlg.h"

// Deletes every score row stored under the logged-in user's name.
class CClearPersonalScoresDlg : public CClearScoresDlg
{
    Q_OBJECT
public:
    explicit CClearPersonalScoresDlg(QWidget* parent = nullptr);

protected:
    bool IsDeleted(const QString& strOwner) const override;
};

// Command 32786: the database guard, then the clearing.
void OpenClearPersonalScores();
