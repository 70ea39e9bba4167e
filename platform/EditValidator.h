#pragma once

#include <QValidator>

class QLineEdit;

// Keeps what a single-line edit box accepts as a Windows edit does: digits
// only for a number box, and, for a box that does not scroll horizontally,
// no more text than fits its width.
class CEditValidator : public QValidator
{
    Q_OBJECT
public:
    CEditValidator(QLineEdit* edit, bool bDigitsOnly, bool bFitWidth);

    State validate(QString& input, int& pos) const override;

    // Whether text would fit in the edit's text area as it is displayed.
    bool Fits(const QString& text) const;

private:
    QLineEdit* m_pEdit;
    bool m_bDigitsOnly;
    bool m_bFitWidth;
};
