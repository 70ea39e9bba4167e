#pragma once

#include "users/Pupil.h"

#include <QList>

class QPagedPaintDevice;
class QPainter;

// A sheet of login cards on A4, two across, 8 or 10 to a page: each card
// names the pupil, class, student number and password and says in one line
// how to log in; dashed lines to cut along.
class CLoginCardPainter
{
public:
    CLoginCardPainter(QList<CPupil> pupils, int perPage);

    int PageCount() const;
    void Paint(QPainter& painter, QPagedPaintDevice& device) const;

    // The one line on every card.
    static QString HowToLogIn();

private:
    QList<CPupil> m_pupils;
    int m_nPerPage;
};
