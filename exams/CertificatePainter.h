#pragma once

#include "exams/Certificates.h"

#include <QList>

class QPagedPaintDevice;
class QPainter;

// 奖状 on A4 landscape, one page each, to hang on a wall: a double frame,
// 奖状 in large type, the pupil and class, the competition and the score,
// the prize, and the school and date at the foot.
class CCertificatePainter
{
public:
    explicit CCertificatePainter(QList<CCertificate> certificates)
        : m_certificates(std::move(certificates))
    {
    }

    void Paint(QPainter& painter, QPagedPaintDevice& device) const;

private:
    QList<CCertificate> m_certificates;
};
