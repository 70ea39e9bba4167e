#include "documents/TablePainter.h"

#include "documents/PagedOutput.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double LargestPoints = 10;
constexpr double SmallestPoints = 7;
// A class of this many pupils shrinks the type until it fits one page.
constexpr int RowsOnePage = 60;

} // namespace

CTablePainter::CTablePainter(QList<CExportTable> tables, QDateTime printedAt)
    : m_tables(std::move(tables)), m_printedAt(std::move(printedAt))
{
}

int CTablePainter::Paint(QPainter& painter, QPagedPaintDevice& device) const
{
    m_nPages = 0;
    for (qsizetype i = 0; i < m_tables.size(); ++i)
        PaintTable(painter, device, m_tables[i], i == 0);
    return m_nPages;
}

void CTablePainter::PaintTable(QPainter& painter, QPagedPaintDevice& device,
                               const CExportTable& table, bool bFirst) const
{
    const double width = device.width();
    const double height = device.height();
    const QFont titleFont = PrintFont(14, true);
    const QFont smallFont = PrintFont(8);
    const QFontMetricsF titleMetrics(titleFont, &device);
    const QFontMetricsF smallMetrics(smallFont, &device);
    const double headTop = titleMetrics.height() + smallMetrics.height() * 1.6;
    const int columns = int(table.header.size());

    // The largest type in which the rows of one page fit.
    double points = LargestPoints;
    double rowHeight = 0;
    int perPage = 1;
    while (true) {
        rowHeight = QFontMetricsF(PrintFont(points), &device).height() * 1.25;
        perPage = std::max(1, int((height - headTop) / rowHeight) - 1);
        if (perPage >= std::min<qsizetype>(table.rows.size(), RowsOnePage) ||
            points <= SmallestPoints)
            break;
        points -= 0.5;
    }
    const QFont bodyFont = PrintFont(points);
    const QFont headFont = PrintFont(points, true);
    const QFontMetricsF body(bodyFont, &device);
    const double pad = body.averageCharWidth() * 0.6;

    // Columns as wide as their texts, then scaled to the page's width.
    QList<double> widths;
    double total = 0;
    for (int c = 0; c < columns; ++c) {
        double widest = QFontMetricsF(headFont, &device).horizontalAdvance(table.header[c]);
        for (const QList<CExportCell>& row : table.rows)
            widest = std::max(widest, body.horizontalAdvance(row.value(c).DisplayText()));
        widths.append(widest + 2 * pad);
        total += widths.last();
    }
    if (total > width) {
        // Too wide for the page: the widest columns give way, down to one
        // width they share, and their texts are elided; a long name never
        // squeezes the figures out.
        QList<double> sorted = widths;
        std::sort(sorted.begin(), sorted.end());
        double left = width;
        double cap = width / std::max(1, columns);
        for (qsizetype i = 0; i < sorted.size(); ++i) {
            const double share = left / double(sorted.size() - i);
            if (sorted[i] > share) {
                cap = share;
                break;
            }
            left -= sorted[i];
            cap = sorted[i];
        }
        for (double& w : widths)
            w = std::min(w, cap);
        total = 0;
        for (const double w : std::as_const(widths))
            total += w;
    }
    for (double& w : widths)
        w *= total > 0 ? width / total : 1;

    const int pages = std::max(1, int(std::ceil(double(table.rows.size()) / perPage)));
    for (int page = 0; page < pages; ++page) {
        if (!bFirst || page > 0)
            device.newPage();
        ++m_nPages;
        painter.setPen(Qt::black);
        painter.setFont(titleFont);
        painter.drawText(QRectF(0, 0, width, titleMetrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, table.strTitle);
        painter.setFont(smallFont);
        painter.drawText(QRectF(0, titleMetrics.height(), width, smallMetrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         u"打印时间:%1"_s.arg(m_printedAt.toString(u"yyyy-MM-dd HH:mm"_s)));
        painter.drawText(QRectF(0, titleMetrics.height(), width, smallMetrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter,
                         u"第 %1 页,共 %2 页"_s.arg(page + 1).arg(pages));

        double y = headTop;
        const auto drawRow = [&](const QStringList& texts, const QList<bool>& right, bool bHead) {
            painter.setFont(bHead ? headFont : bodyFont);
            if (bHead)
                painter.fillRect(QRectF(0, y, width, rowHeight), QColor(0xDD, 0xEB, 0xF7));
            double x = 0;
            for (int c = 0; c < columns; ++c) {
                const QRectF cell(x + pad, y, widths[c] - 2 * pad, rowHeight);
                // A text as wide as its column (the column took its width)
                // is not cut for a rounding: it may reach into the padding.
                const QString shown =
                    QFontMetricsF(painter.font(), &device)
                        .elidedText(texts.value(c), Qt::ElideRight, cell.width() + pad / 2);
                painter.drawText(
                    cell, Qt::AlignVCenter | (right.value(c) ? Qt::AlignRight : Qt::AlignLeft),
                    shown);
                x += widths[c];
            }
            painter.setPen(QPen(Qt::gray, 0));
            painter.drawLine(QPointF(0, y + rowHeight), QPointF(width, y + rowHeight));
            painter.setPen(Qt::black);
            y += rowHeight;
        };
        drawRow(table.header, {}, true);
        const qsizetype first = qsizetype(page) * perPage;
        for (qsizetype r = first; r < std::min<qsizetype>(first + perPage, table.rows.size());
             ++r) {
            QStringList texts;
            QList<bool> right;
            for (int c = 0; c < columns; ++c) {
                const CExportCell cell = table.rows[r].value(c);
                texts.append(cell.DisplayText());
                right.append(cell.IsNumeric());
            }
            drawRow(texts, right, false);
        }
    }
}
