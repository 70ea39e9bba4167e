#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// The one exception of the database layer; it carries the engine's message.
class CDaoException : public std::exception
{
public:
    explicit CDaoException(QString message)
        : m_strError(std::move(message)), m_utf8(m_strError.toUtf8())
    {
    }

    // The engine's message, cut to maxChars characters.
    QString GetErrorMessage(int maxChars = 1023) const { return m_strError.left(maxChars); }
    const char* what() const noexcept override { return m_utf8.constData(); }

    QString m_strError;

private:
    QByteArray m_utf8;
};
