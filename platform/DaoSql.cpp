#include "platform/DaoSql.h"

#include <QDateTime>
#include <QRegularExpression>

#include <optional>

using namespace Qt::Literals::StringLiterals;
using Kind = CDaoFieldValue::Kind;

namespace DaoSql {

QString QuoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(u'"', u"\"\""_s);
    return u'"' + quoted + u'"';
}

Kind KindOfDeclaredType(const QString& declared)
{
    // Declared types of both engines, plus the domain names the PostgreSQL
    // schema may use for the kinds it has no type of its own for.
    const QString type = declared.trimmed().toLower().section(u'(', 0, 0).trimmed();
    if (type == "smallint"_L1 || type == "int2"_L1 || type == "short"_L1)
        return Kind::Int16;
    if (type == "tinyint"_L1 || type == "byte"_L1 || type == "uint8"_L1)
        return Kind::UInt8;
    if (type == "integer"_L1 || type == "int"_L1 || type == "int4"_L1 || type == "long"_L1 ||
        type == "mediumint"_L1 || type == "bigint"_L1 || type == "int8"_L1)
        return Kind::Int32;
    if (type == "real"_L1 || type == "float4"_L1 || type == "single"_L1)
        return Kind::Float;
    if (type == "double"_L1 || type == "double precision"_L1 || type == "float"_L1 ||
        type == "float8"_L1 || type == "numeric"_L1 || type == "decimal"_L1)
        return Kind::Double;
    if (type == "currency"_L1 || type == "money"_L1)
        return Kind::Currency;
    if (type == "date"_L1 || type == "datetime"_L1 || type.startsWith("timestamp"_L1))
        return Kind::Date;
    if (type == "boolean"_L1 || type == "bool"_L1 || type == "bit"_L1 || type == "yesno"_L1)
        return Kind::Bool;
    if (type.contains("char"_L1) || type.contains("text"_L1) || type.contains("clob"_L1))
        return Kind::Text;
    return Kind::Null; // any other type reads as empty
}

namespace {

QDateTime ParseDateTime(const QVariant& stored)
{
    if (stored.metaType().id() == QMetaType::QDateTime)
        return stored.toDateTime();
    if (stored.metaType().id() == QMetaType::QDate)
        return stored.toDate().startOfDay();
    const QString text = stored.toString().trimmed();
    for (const QString& format :
         {u"yyyy-MM-dd HH:mm:ss"_s, u"yyyy-MM-dd HH:mm:ss.zzz"_s, u"yyyy-MM-ddTHH:mm:ss"_s,
          u"yyyy-MM-ddTHH:mm:ss.zzz"_s, u"yyyy-MM-dd HH:mm"_s, u"yyyy-MM-dd"_s}) {
        const QDateTime time = QDateTime::fromString(text, format);
        if (time.isValid())
            return time;
    }
    return QDateTime::fromString(text, Qt::ISODateWithMs);
}

double ParseMoney(const QVariant& stored)
{
    if (stored.metaType().id() != QMetaType::QString)
        return stored.toDouble();
    // PostgreSQL's money comes as locale text such as "$1,234.50".
    QString text = stored.toString();
    text.remove(QRegularExpression(u"[^0-9.\\-]"_s));
    return text.toDouble();
}

std::optional<QVariant> BoundFromText(Kind kind, const QString& text)
{
    bool ok = false;
    switch (kind) {
    case Kind::Int16:
    case Kind::Int32:
    case Kind::UInt8: {
        const qlonglong number = text.trimmed().toLongLong(&ok);
        if (ok)
            return QVariant(number);
        break;
    }
    case Kind::Float:
    case Kind::Double:
    case Kind::Currency: {
        const double number = text.trimmed().toDouble(&ok);
        if (ok)
            return QVariant(number);
        break;
    }
    case Kind::Bool:
        if (text == "TRUE"_L1 || text == "true"_L1 || text == "1"_L1)
            return QVariant(true);
        if (text == "FALSE"_L1 || text == "false"_L1 || text == "0"_L1)
            return QVariant(false);
        break;
    case Kind::Date: {
        const QDateTime time = ParseDateTime(text);
        if (time.isValid())
            return QVariant(time.toString(u"yyyy-MM-dd HH:mm:ss"_s));
        break;
    }
    default:
        break;
    }
    return std::nullopt;
}

} // namespace

CDaoFieldValue FromStored(Kind kind, const QVariant& stored)
{
    if (stored.isNull() || !stored.isValid())
        return {};
    switch (kind) {
    case Kind::Int16:
        return {kind, QVariant::fromValue(qint16(stored.toInt()))};
    case Kind::Int32:
        return {kind, QVariant::fromValue(qint32(stored.toLongLong()))};
    case Kind::Float:
        return {kind, QVariant::fromValue(float(stored.toDouble()))};
    case Kind::Double:
        return {kind, QVariant(stored.toDouble())};
    case Kind::Currency:
        return {kind, QVariant(ParseMoney(stored))};
    case Kind::Date:
        return {kind, QVariant(ParseDateTime(stored))};
    case Kind::Text:
        return {kind, QVariant(stored.toString())};
    case Kind::Bool:
        return {kind, QVariant(stored.toBool())};
    case Kind::UInt8:
        return {kind, QVariant::fromValue(quint8(stored.toUInt()))};
    default:
        return {};
    }
}

QVariant ToBound(Kind kind, const CDaoFieldValue& value)
{
    switch (value.kind) {
    case Kind::Null:
    case Kind::Error:
        return QVariant(QMetaType::fromType<QString>());
    case Kind::Text:
        // Text is converted to the column's kind when it reads as one, so both
        // engines store the same thing; otherwise the engine has its say.
        return BoundFromText(kind, value.value.toString()).value_or(value.value.toString());
    case Kind::Date:
        return value.value.toDateTime().toString(u"yyyy-MM-dd HH:mm:ss"_s);
    case Kind::Bool:
        return QVariant(value.value.toBool());
    case Kind::Float:
    case Kind::Double:
    case Kind::Currency:
        return QVariant(value.value.toDouble());
    default:
        return QVariant(value.value.toLongLong());
    }
}

QString TextArrayLiteral(const QStringList& texts)
{
    QStringList quoted;
    for (QString text : texts) {
        text.replace(u'\\', u"\\\\"_s);
        text.replace(u'"', u"\\\""_s);
        quoted.append(u'"' + text + u'"');
    }
    return u'{' + quoted.join(u',') + u'}';
}

void Throw(const QSqlError& error)
{
    QString message = error.databaseText().trimmed();
    const QString state = error.nativeErrorCode();
    if (state.startsWith("QE"_L1)) {
        // Our own refusals speak Chinese to the user: the server's words
        // alone, without its "ERROR:" and the code the driver adds.
        message = message.section(u'\n', 0, 0).trimmed();
        static const QRegularExpression severity(u"^[A-Z]+:\\s*"_s);
        message.remove(severity);
        message.remove(QRegularExpression(u"\\s*\\(QE[0-9A-Z]+\\)$"_s));
    }
    if (message.isEmpty())
        message = error.driverText().trimmed();
    if (message.isEmpty())
        message = u"unknown database error"_s;
    throw CDaoException(message, state);
}

void Throw(const QString& message)
{
    throw CDaoException(message);
}

} // namespace DaoSql
