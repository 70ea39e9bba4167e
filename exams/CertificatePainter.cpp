#include "exams/CertificatePainter.h"

#include "documents/PagedOutput.h"

#include <QPagedPaintDevice>
#include <QPainter>

using namespace Qt::Literals::StringLiterals;

namespace {

const QColor Red(0xb0, 0x1c, 0x1c);

void PaintOne(QPainter& painter, const QRect& page, const CCertificate& certificate)
{
    // Device pixels per millimetre, from the page's own size (A4 is 297 mm
    // wide landscape, 273 mm inside the margins).
    const double mm = page.width() / 273.0;
    painter.setPen(QPen(Red, 2.0 * mm));
    const QRect outer = page.adjusted(int(4 * mm), int(4 * mm), int(-4 * mm), int(-4 * mm));
    painter.drawRect(outer);
    painter.setPen(QPen(Red, 0.6 * mm));
    painter.drawRect(outer.adjusted(int(4 * mm), int(4 * mm), int(-4 * mm), int(-4 * mm)));

    const QRect inner = outer.adjusted(int(22 * mm), int(16 * mm), int(-22 * mm), int(-14 * mm));
    painter.setPen(Red);
    painter.setFont(PrintFont(54, true));
    const QRect title(inner.left(), inner.top(), inner.width(), int(30 * mm));
    painter.drawText(title, Qt::AlignCenter, u"奖  状"_s);

    painter.setPen(Qt::black);
    painter.setFont(PrintFont(22));
    const QRect body(inner.left(), title.bottom() + int(10 * mm), inner.width(), int(62 * mm));
    painter.drawText(body, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     u"%1 同学(%2):\n"
                     "    在%3“%4”中,你以 %5 的成绩,荣获"_s.arg(
                         certificate.strName, certificate.strClass, certificate.strSchool,
                         certificate.strCompetition, certificate.strScore));
    painter.setPen(Red);
    painter.setFont(PrintFont(40, true));
    const QRect prize(inner.left(), body.bottom(), inner.width(), int(24 * mm));
    painter.drawText(prize, Qt::AlignCenter, certificate.strPrize);

    painter.setPen(Qt::black);
    painter.setFont(PrintFont(22));
    const QRect encourage(inner.left(), prize.bottom() + int(2 * mm), inner.width(), int(12 * mm));
    painter.drawText(encourage, Qt::AlignLeft | Qt::AlignVCenter, u"    特发此状,以资鼓励。"_s);
    painter.setFont(PrintFont(18));
    const QRect foot(inner.left(), inner.bottom() - int(22 * mm), inner.width(), int(22 * mm));
    painter.drawText(
        foot, Qt::AlignRight | Qt::AlignBottom,
        u"%1\n%2"_s.arg(certificate.strSchool, certificate.date.toString(u"yyyy年M月d日"_s)));
}

} // namespace

void CCertificatePainter::Paint(QPainter& painter, QPagedPaintDevice& device) const
{
    const QRect page(0, 0, device.width(), device.height());
    for (qsizetype i = 0; i < m_certificates.size(); ++i) {
        if (i > 0)
            device.newPage();
        PaintOne(painter, page, m_certificates[i]);
    }
}
