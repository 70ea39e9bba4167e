#pragma once

#include <QStringList>

class CListCtrl;

// A list of classes to tick, one check box each; a row is only a place to
// tick, never a choice. The exams and the assignments choose their classes
// with it.
class CClassChecklist
{
public:
    // Makes list a check list of one column.
    void SetUp(CListCtrl* list);
    // Shows classes and ticks chosen (the only class when nothing is
    // chosen yet); a chosen class no pupil is in any longer still shows
    // while it is named.
    void Fill(QStringList classes, const QStringList& chosen);
    // Ticks the classes named and clears the others (as a teacher would).
    void Check(const QStringList& chosen);
    // The classes ticked, in order.
    QStringList Checked() const;

private:
    CListCtrl* m_pList = nullptr;
    QStringList m_classes;
};
