#include "platform/EditValidator.h"

#include <QLineEdit>
#include <QStyle>

CEditValidator::CEditValidator(QLineEdit* edit, bool bDigitsOnly, bool bFitWidth)
    : QValidator(edit), m_pEdit(edit), m_bDigitsOnly(bDigitsOnly), m_bFitWidth(bFitWidth)
{
}

QValidator::State CEditValidator::validate(QString& input, int& pos) const
{
    Q_UNUSED(pos);
    if (m_bDigitsOnly) {
        for (QChar ch : input) {
            if (ch < u'0' || ch > u'9')
                return Invalid;
        }
    }
    if (m_bFitWidth && !Fits(input))
        return Invalid;
    return Acceptable;
}

bool CEditValidator::Fits(const QString& text) const
{
    QString shown = text;
    if (m_pEdit->echoMode() == QLineEdit::Password ||
        m_pEdit->echoMode() == QLineEdit::PasswordEchoOnEdit) {
        const QChar mask(
            m_pEdit->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, m_pEdit));
        shown = QString(text.size(), mask);
    } else if (m_pEdit->echoMode() == QLineEdit::NoEcho) {
        return true;
    }
    // The line edit's text area: its frame, the margins set on it and the
    // two-pixel inner margin Qt keeps on each side.
    const int nFrame =
        m_pEdit->hasFrame()
            ? m_pEdit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, m_pEdit)
            : 0;
    const QMargins margins = m_pEdit->textMargins();
    const int nAvailable = m_pEdit->width() - 2 * nFrame - 2 * 2 - margins.left() - margins.right();
    return m_pEdit->fontMetrics().horizontalAdvance(shown) <= nAvailable;
}
