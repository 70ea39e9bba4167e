#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// The one exception of the database layer; it carries the engine's message
// and, from a server, the SQLSTATE it gave.
class CDaoException : public std::exception
{
public:
    explicit CDaoException(QString message, QString state = {})
        : m_strError(std::move(message)), m_strState(std::move(state)), m_utf8(m_strError.toUtf8())
    {
    }

    // The engine's message, cut to maxChars characters.
    QString GetErrorMessage(int maxChars = 1023) const { return m_strError.left(maxChars); }
    const char* what() const noexcept override { return m_utf8.constData(); }
    // The server's SQLSTATE ("42501", "QE004"); empty where none was given.
    const QString& State() const { return m_strState; }
    // The server refused the request by a rule of ours (SQLSTATE class QE)
    // and said why in Chinese for the user: the message is that alone.
    bool IsRefusal() const { return m_strState.startsWith(QLatin1String("QE")); }

    QString m_strError;

private:
    QString m_strState;
    QByteArray m_utf8;
};
