#include "classroom/LoginCardPainter.h"

#include "documents/PagedOutput.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Across = 2;

} // namespace

CLoginCardPainter::CLoginCardPainter(QList<CPupil> pupils, int perPage)
    : m_pupils(std::move(pupils)), m_nPerPage(perPage == 10 ? 10 : 8)
{
}

QString CLoginCardPainter::HowToLogIn()
{
    return u"登录:用户类型选“普通用户”,在“用户姓名”中选择或输入姓名,输入密码,按“确定”。"_s;
}

int CLoginCardPainter::PageCount() const
{
    return std::max<int>(1, int((m_pupils.size() + m_nPerPage - 1) / m_nPerPage));
}

void CLoginCardPainter::Paint(QPainter& painter, QPagedPaintDevice& device) const
{
    const int down = m_nPerPage / Across;
    const double width = device.width();
    const double height = device.height();
    const double cardWidth = width / Across;
    const double cardHeight = height / down;
    const double mm = device.logicalDpiX() / 25.4;
    const double pad = 4 * mm;
    // Smaller cards (10 to a page) get slightly smaller type.
    const double scale = m_nPerPage == 10 ? 0.9 : 1.0;

    // The cut lines: 0.3 mm wide, dashes of 3 mm with gaps of 2 mm, which
    // print as dashes at any resolution (a hairline's dashes are measured
    // in device pixels and print as one line).
    const double lineWidth = 0.3 * mm;
    QPen cut(Qt::gray, lineWidth, Qt::CustomDashLine, Qt::FlatCap);
    cut.setDashPattern({3 * mm / lineWidth, 2 * mm / lineWidth});

    for (int page = 0; page < PageCount(); ++page) {
        if (page > 0)
            device.newPage();
        painter.setPen(cut);
        for (int c = 1; c < Across; ++c)
            painter.drawLine(QPointF(c * cardWidth, 0), QPointF(c * cardWidth, height));
        for (int r = 0; r <= down; ++r)
            painter.drawLine(QPointF(0, r * cardHeight), QPointF(width, r * cardHeight));
        painter.drawLine(QPointF(0, 0), QPointF(0, height));
        painter.drawLine(QPointF(width, 0), QPointF(width, height));

        for (int i = 0; i < m_nPerPage; ++i) {
            const qsizetype index = qsizetype(page) * m_nPerPage + i;
            if (index >= m_pupils.size())
                break;
            const CPupil& pupil = m_pupils[index];
            const QRectF card(i % Across * cardWidth + pad, i / Across * cardHeight + pad,
                              cardWidth - 2 * pad, cardHeight - 2 * pad);
            painter.setPen(Qt::black);
            double y = card.top();
            // A field takes one line: a name or class longer than the card
            // is elided, so that the lines after it stay on the card.
            const auto line = [&](const QString& text, const QFont& font, double space,
                                  bool bOneLine = true) {
                painter.setFont(font);
                const QRectF box(card.left(), y, card.width(), card.bottom() - y);
                const QString shown =
                    bOneLine
                        ? QFontMetricsF(font, &device).elidedText(text, Qt::ElideRight, box.width())
                        : text;
                QRectF used;
                painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, shown,
                                 &used);
                y += used.height() + space * mm;
            };
            line(u"青禾测试系统 · 登录卡"_s, PrintFont(10 * scale, true), 2.5 * scale);
            line(u"姓名:%1"_s.arg(pupil.strName), PrintFont(15 * scale, true), 1.5 * scale);
            line(u"班级:%1"_s.arg(pupil.strClass), PrintFont(10.5 * scale), 1 * scale);
            line(u"学号:%1"_s.arg(pupil.strStudentNo), PrintFont(10.5 * scale), 1 * scale);
            line(u"密码:%1"_s.arg(pupil.strPassword), PrintFont(15 * scale, true), 2.5 * scale);
            line(HowToLogIn(), PrintFont(8.5 * scale), 0, false);
        }
    }
}
