#include "exams/CompetitionBoardWnd.h"

#include "platform/Dao.h"
#include "platform/Platform.h"
#include "users/Session.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

// The projector's colours: light type on a dark ground.
const QColor Ground(0x12, 0x22, 0x4a);
const QColor StripeGround(0x1a, 0x2e, 0x5e);
const QColor Type(0xf4, 0xf4, 0xf4);
const QColor TitleType(0xff, 0xd8, 0x4d);
const QColor DoubtType(0xff, 0x9f, 0x40);
const QColor BarGround(0x0b, 0x16, 0x33);
const QColor BarFill(0x3d, 0xc4, 0x6b);
const QColor Medals[3] = {QColor(0xf5, 0xc5, 0x18), QColor(0xc8, 0xcc, 0xd4),
                          QColor(0xcd, 0x7f, 0x32)};

// Each column's share of the width: 名次, 姓名, 班级, 进度, 速度, 正确率, 状态.
const double ColumnShares[] = {0.08, 0.15, 0.17, 0.24, 0.16, 0.10, 0.10};
const QStringList Headings = {u"名次"_s, u"姓名"_s,   u"班级"_s, u"进度"_s,
                              u"速度"_s, u"正确率"_s, u"状态"_s};

constexpr int TopThree = 3;

QFont BoardFont(int pixels, bool bBold = false)
{
    QFont font;
    font.setPixelSize(pixels);
    font.setBold(bBold);
    return font;
}

} // namespace

CBoardLayout CBoardLayout::At(const QSize& size)
{
    CBoardLayout layout;
    const int height = qMax(size.height(), 300);
    layout.nGlyphPixels = int(std::ceil(height / 28.0));
    layout.nTitlePixels = layout.nGlyphPixels * 3 / 2;
    layout.nRowHeight = layout.nGlyphPixels * 3 / 2;
    // The title, the status line and the headings above; the footer below.
    layout.nTop = layout.nTitlePixels * 2 + layout.nGlyphPixels * 2 + layout.nRowHeight;
    layout.nRows = qMax(1, (height - layout.nTop - layout.nRowHeight) / layout.nRowHeight);
    const int margin = size.width() / 40;
    double left = margin;
    const double usable = size.width() - 2 * margin;
    for (double share : ColumnShares) {
        layout.edges.append(int(left));
        left += share * usable;
    }
    layout.edges.append(size.width() - margin);
    return layout;
}

CCompetitionBoardWnd::CCompetitionBoardWnd(const CSession& session, qint64 examId, QWidget* parent)
    : QWidget(parent, Qt::Window), m_session(session), m_nExamId(examId), m_watch(session, PollMs)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(u"比赛大屏"_s);
    m_pageTurn.setInterval(PageMs);
    connect(&m_pageTurn, &QTimer::timeout, this, [this] { NextPage(); });
}

void CCompetitionBoardWnd::Open()
{
    // The whole screen of the teacher's window, also where no window
    // manager makes a full-screen window as large as its screen.
    const QScreen* where = parentWidget() ? parentWidget()->screen() : screen();
    if (where)
        setGeometry(where->geometry());
    setWindowState(Qt::WindowFullScreen);
    show();
    m_pageTurn.start();
    m_watch.Start([this] { ReadBoard(); });
}

void CCompetitionBoardWnd::ReadBoard()
{
    const qint64 id = m_nExamId;
    m_session.Ask<CompetitionBoard::CBoard>(
        this,
        [id](CDaoDatabase& own) { return CompetitionBoard::Make(CompetitionBoard::Read(own, id)); },
        [this](CompetitionBoard::CBoard board) {
            m_watch.Answered();
            ++m_nReads;
            m_board = std::move(board);
            m_strProblem.clear();
            m_readAt = Platform().CurrentTime();
            // The title says where it stands, for whoever lists the windows.
            setWindowTitle(u"比赛大屏 - %1"_s.arg(m_board.strStatus));
            if (m_nPage >= Pages())
                m_nPage = 0;
            update();
        },
        [this](const CDaoException& e) {
            m_watch.Answered();
            // The last ranking stays; the footer says why it is not new.
            m_strProblem = u"无法读取比赛的情况:%1"_s.arg(e.GetErrorMessage());
            update();
        });
}

int CCompetitionBoardWnd::Pages() const
{
    const int rows = CBoardLayout::At(size()).nRows;
    const int rest = int(m_board.lines.size()) - TopThree;
    if (rest <= 0 || rows <= TopThree || m_board.lines.size() <= rows)
        return 1;
    const int perPage = rows - TopThree;
    return (rest + perPage - 1) / perPage;
}

QList<CompetitionBoard::CLine> CCompetitionBoardWnd::PageLines() const
{
    const int rows = CBoardLayout::At(size()).nRows;
    if (Pages() == 1)
        return m_board.lines.mid(0, rows);
    const int perPage = rows - TopThree;
    return m_board.lines.mid(0, TopThree) +
           m_board.lines.mid(TopThree + m_nPage * perPage, perPage);
}

void CCompetitionBoardWnd::NextPage()
{
    m_nPage = (m_nPage + 1) % Pages();
    update();
}

void CCompetitionBoardWnd::EndForEverybody()
{
    if (Platform().MessageBox(this,
                              u"要现在结束比赛吗?\n每个学生的比赛会在几秒钟内结束,就像时间到了一样,"
                              "成绩照常保存。"_s,
                              u"比赛大屏"_s, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    const qint64 id = m_nExamId;
    m_session.Ask(
        this, [id](CDaoDatabase& own) { ExamStore::EndForEverybody(own, id); },
        [this] { m_watch.Read(); },
        [this](const CDaoException& e) {
            Platform().MessageBox(this, u"比赛没有结束:%1"_s.arg(e.GetErrorMessage()),
                                  u"比赛大屏"_s, MB_OK | MB_ICONEXCLAMATION);
        });
}

void CCompetitionBoardWnd::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        close();
        break;
    case Qt::Key_PageDown:
    case Qt::Key_Space:
        NextPage();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void CCompetitionBoardWnd::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    connect(menu.addAction(u"结束比赛"_s), &QAction::triggered, this,
            [this] { EndForEverybody(); });
    connect(menu.addAction(u"关闭大屏"_s), &QAction::triggered, this, [this] { close(); });
    Platform().TrackPopupMenu(&menu, event->globalPos());
}

void CCompetitionBoardWnd::paintEvent(QPaintEvent*)
{
    const CBoardLayout layout = CBoardLayout::At(size());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Ground);
    const int margin = layout.edges.first();
    const int width = layout.edges.last() - margin;

    // The competition, and where it stands.
    painter.setFont(BoardFont(layout.nTitlePixels, true));
    painter.setPen(TitleType);
    const QRect title(margin, layout.nTitlePixels / 2, width, layout.nTitlePixels * 3 / 2);
    painter.drawText(title, Qt::AlignCenter,
                     painter.fontMetrics().elidedText(m_board.strTitle, Qt::ElideRight, width));
    painter.setFont(BoardFont(layout.nGlyphPixels, true));
    painter.setPen(Type);
    const QRect status(margin, title.bottom() + layout.nGlyphPixels / 2, width,
                       layout.nGlyphPixels * 3 / 2);
    painter.drawText(status, Qt::AlignCenter, m_board.strStatus);

    const auto cell = [&](int row, int column) {
        return QRect(layout.edges[column], layout.nTop + row * layout.nRowHeight,
                     layout.edges[column + 1] - layout.edges[column] - layout.nGlyphPixels / 3,
                     layout.nRowHeight);
    };
    const auto text = [&](const QRect& box, const QString& value, int align = Qt::AlignLeft) {
        painter.drawText(box, align | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(value, Qt::ElideRight, box.width()));
    };
    painter.setFont(BoardFont(layout.nGlyphPixels, true));
    painter.setPen(TitleType);
    for (int column = 0; column < Headings.size(); ++column)
        text(cell(-1, column), Headings[column]);

    painter.setFont(BoardFont(layout.nGlyphPixels));
    const QList<CompetitionBoard::CLine> lines = PageLines();
    for (int row = 0; row < lines.size(); ++row) {
        const CompetitionBoard::CLine& line = lines[row];
        const QRect band(margin, layout.nTop + row * layout.nRowHeight, width, layout.nRowHeight);
        if (row % 2 == 1)
            painter.fillRect(band, StripeGround);
        const QRect place = cell(row, 0);
        if (line.nPlace >= 1 && line.nPlace <= TopThree) {
            // The top three: a medal with the place on it.
            const int diameter = layout.nRowHeight * 7 / 8;
            const QRect medal(place.left(), place.center().y() - diameter / 2, diameter, diameter);
            painter.setPen(Qt::NoPen);
            painter.setBrush(Medals[line.nPlace - 1]);
            painter.drawEllipse(medal);
            painter.setPen(Ground);
            painter.setFont(BoardFont(layout.nGlyphPixels, true));
            painter.drawText(medal, Qt::AlignCenter, QString::number(line.nPlace));
            painter.setFont(BoardFont(layout.nGlyphPixels));
        } else {
            painter.setPen(Type);
            text(place, line.nPlace > 0 ? QString::number(line.nPlace) : u"—"_s);
        }
        painter.setPen(Type);
        text(cell(row, 1), line.strName);
        text(cell(row, 2), line.strClass);
        const QRect progress = cell(row, 3);
        const QRect bar = progress.adjusted(0, layout.nRowHeight / 4, 0, -layout.nRowHeight / 4);
        painter.fillRect(bar, BarGround);
        painter.fillRect(
            QRect(bar.topLeft(), QSize(bar.width() * line.nProgress / 100, bar.height())), BarFill);
        text(cell(row, 4), line.strSpeed);
        text(cell(row, 5), line.strAccuracy);
        // A prize in its medal's colour; a result in doubt stands out.
        const bool bMedal = m_board.bFinal && line.nPlace >= 1 && line.nPlace <= TopThree;
        painter.setPen(line.bInDoubt ? DoubtType : bMedal ? Medals[line.nPlace - 1] : Type);
        text(cell(row, 6), line.strState);
    }

    // The footer: the counts, the page, and when it was read.
    painter.setPen(m_strProblem.isEmpty() ? Type : DoubtType);
    QStringList footer{m_board.strCounts};
    if (Pages() > 1)
        footer.append(u"第 %1/%2 页"_s.arg(m_nPage + 1).arg(Pages()));
    if (m_readAt.isValid())
        footer.append(u"更新于 %1"_s.arg(m_readAt.toString(u"HH:mm:ss"_s)));
    footer.append(u"Esc 关闭"_s);
    const QString said = m_strProblem.isEmpty() ? footer.join(u" · "_s) : m_strProblem;
    text(QRect(margin, height() - layout.nRowHeight, width, layout.nRowHeight), said,
         Qt::AlignHCenter);
}
