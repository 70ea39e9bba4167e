#pragma once

#include "attempts/PracticeKind.h"

#include <QByteArray>
#include <QList>
#include <QString>

class CQeDoc;

// A screenful that is not the start of one of the four files: a screen of a
// stored text, a drill, or the screen of an exam, and what its practice adds
// to the described rules (a time limit, Backspace refused).
struct CPracticeScreen
{
    int nKind = PracticeKind::English;
    QByteArray text;           // the whole text, as the loader reads a file
    int nScreen = 1;           // the screenful to practise, from 1
    QString strTitle;          // names the text in the attempt
    qint64 nTextId = 0;        // the stored text; 0 for a drill
    qint64 nExamId = 0;        // the exam; 0 for a practice
    int nTimeLimitSeconds = 0; // 0: no limit
    bool bBackspaceAllowed = true;
    bool bRetakeAllowed = false; // an exam's: what ending it early means
    QString strAim;              // what the screen trains, for its card; empty for a text
    // A competition's scoring as its card states it; empty for an exam.
    QString strCompetitionRule;
};

// How many screenfuls the loader reads from text before only line breaks
// (or nothing) are left.
int ScreenCount(const QByteArray& text, int kind);

// Reads screen (from 1) of text into the document's practice buffers, as
// the loader reads a file: the screens before it are read and dropped. The
// buffers must be in their reset state.
void ReadScreen(CQeDoc& doc, const QByteArray& text, int kind, int screen);

// The cells of screen (from 1) of text as the loader reads them, in
// reading order, each its bytes as the session compares them (a cell up to
// its first NUL); read without a document.
QList<QByteArray> ScreenCellBytes(const QByteArray& text, int kind, int screen);
