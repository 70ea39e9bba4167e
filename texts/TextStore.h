#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class CDaoDatabase;

// A text of the library, as every machine of the lab sees it.
struct CPracticeText
{
    qint64 nId = 0; // 0: not stored yet
    QString strTitle;
    int nKind = 0;   // PracticeKind
    QString strBody; // normalised (TextRules::Normalise)
    QDateTime updatedAt;

    // The bytes the loader reads, and how many screens they make.
    QByteArray FileBytes() const;
    int Screens() const;
};

// The library's storage. Every function throws CDaoException.
namespace TextStore {

// Every text, by title.
QList<CPracticeText> LoadTexts(CDaoDatabase& db);
std::optional<CPracticeText> LoadText(CDaoDatabase& db, qint64 id);
// Inserts a new text (nId 0) or replaces a stored one; returns its id.
qint64 SaveText(CDaoDatabase& db, const CPracticeText& text);
void DeleteText(CDaoDatabase& db, qint64 id);
// The titles of the exams set on the text.
QStringList ExamsUsing(CDaoDatabase& db, qint64 id);
// The titles of the assignments set on the text, which keep it.
QStringList AssignmentsUsing(CDaoDatabase& db, qint64 id);

} // namespace TextStore
