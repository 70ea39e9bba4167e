#pragma once

#include "exams/CompetitionBoard.h"
#include "users/LiveWatch.h"

#include <QTimer>
#include <QWidget>

class CSession;

// Where the board's parts go at a size: the type is at least a thirtieth
// of the height, to be read from the back of a classroom.
struct CBoardLayout
{
    int nGlyphPixels = 0; // the height of a glyph of the rows
    int nTitlePixels = 0;
    int nRowHeight = 0;
    int nTop = 0;     // where the first row begins
    int nRows = 0;    // the rows a page shows
    QList<int> edges; // the columns' left edges, and the right edge last

    static CBoardLayout At(const QSize& size);
};

// 比赛大屏: the ranking of a competition, full screen for the projector,
// read again at least every second (and when the programs report) while
// it is open. The top three are marked; a result in doubt (可疑) is shown
// as such. More pupils than fit turn over a page every few seconds, the
// top three staying. Esc closes it; its menu (right button) ends the
// competition early for everybody.
class CCompetitionBoardWnd : public QWidget
{
    Q_OBJECT
public:
    CCompetitionBoardWnd(const CSession& session, qint64 examId, QWidget* parent = nullptr);

    // Full screen, reading.
    void Open();
    // 结束比赛: asks, then ends every running sitting and closes the exam.
    void EndForEverybody();

    const CompetitionBoard::CBoard& Board() const { return m_board; }
    // The lines the page shows now.
    QList<CompetitionBoard::CLine> PageLines() const;
    int Pages() const;
    void NextPage();
    // The reads answered (for the suites).
    int Reads() const { return m_nReads; }

    static constexpr int PollMs = 1000;
    static constexpr int PageMs = 6000;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void ReadBoard();

    const CSession& m_session;
    const qint64 m_nExamId;
    CLiveWatch m_watch;
    QTimer m_pageTurn;
    CompetitionBoard::CBoard m_board;
    QString m_strProblem; // why the last read failed, until one succeeds
    QTime m_readAt;
    int m_nPage = 0;
    int m_nReads = 0;
};
