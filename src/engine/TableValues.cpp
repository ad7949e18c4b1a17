#include "engine/TableValues.h"

#include "engine/DatabaseError.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>

namespace {

const int kShortMin = -32767; // -32768 is how the file marks an empty short
const int kShortMax = 32767;

QString quoted(const QString& text) { return QLatin1Char('\'') + text + QLatin1Char('\''); }

bool isTextType(FieldType t)
{
    return t == FieldType::Alpha || t == FieldType::Memo || t == FieldType::FmtMemo;
}

bool isIntegerType(FieldType t)
{
    return t == FieldType::Short || t == FieldType::Long || t == FieldType::AutoInc;
}

bool isFloatType(FieldType t) { return t == FieldType::Number || t == FieldType::Money; }

bool isBinaryType(FieldType t)
{
    return t == FieldType::Bytes || t == FieldType::Blob || t == FieldType::Graphic ||
           t == FieldType::Ole;
}

// -1, 0 or 1 as `x` comes before, with or after `y`.
template <typename T> int threeWay(const T& x, const T& y) { return x < y ? -1 : (x > y ? 1 : 0); }

// Logical values as text: what a user or a report file may write.
bool parseLogical(const QString& text, bool* ok)
{
    const QString t = text.trimmed().toLower();
    *ok = true;
    if (t == QLatin1String("true") || t == QLatin1String("t") || t == QLatin1String("yes") ||
        t == QLatin1String("y") || t == QLatin1String("1"))
        return true;
    if (t == QLatin1String("false") || t == QLatin1String("f") || t == QLatin1String("no") ||
        t == QLatin1String("n") || t == QLatin1String("0"))
        return false;
    *ok = false;
    return false;
}

bool parseWholeNumber(const QString& text, qint64* value)
{
    static const QRegularExpression pattern(QStringLiteral("^[+-]?[0-9]+$"));
    const QString t = text.trimmed();
    if (!pattern.match(t).hasMatch())
        return false;
    bool ok = false;
    *value = t.toLongLong(&ok);
    return ok;
}

bool parseNumber(const QString& text, double* value)
{
    bool ok = false;
    const QString t = text.trimmed();
    *value = QLocale::c().toDouble(t, &ok);
    if (!ok)
        *value = QLocale().toDouble(t, &ok);
    return ok && std::isfinite(*value);
}

// The value read from `text` (trimmed) by the first of `formats` that fits
// it, or an invalid value when none does.
template <typename T>
T parseFirstFormat(const QString& text, std::initializer_list<QString> formats)
{
    const QString t = text.trimmed();
    for (const QString& format : formats) {
        const T value = T::fromString(t, format);
        if (value.isValid())
            return value;
    }
    return T();
}

QDate parseDate(const QString& text)
{
    return parseFirstFormat<QDate>(text, {QStringLiteral("yyyy-MM-dd"), QStringLiteral("M/d/yyyy"),
                                          QStringLiteral("d.M.yyyy")});
}

QTime parseTime(const QString& text)
{
    return parseFirstFormat<QTime>(
        text, {QStringLiteral("H:mm:ss"), QStringLiteral("H:mm"), QStringLiteral("H:mm:ss.zzz")});
}

QDateTime parseTimestamp(const QString& text)
{
    return parseFirstFormat<QDateTime>(
        text, {QStringLiteral("yyyy-MM-dd HH:mm:ss"), QStringLiteral("yyyy-MM-ddTHH:mm:ss"),
               QStringLiteral("yyyy-MM-dd HH:mm"), QStringLiteral("yyyy-MM-dd")});
}

DatabaseError conversionError(const QString& text, const QString& kind, const QString& label)
{
    return DatabaseError(QStringLiteral("%1 is not a valid %2 value for field '%3'.")
                             .arg(quoted(text), kind, label));
}

// A date, time or timestamp read from `text`, or the refusal when the
// text read as none.
template <typename T>
QVariant validOrRefused(const T& value, const QString& text, const QString& kind,
                        const QString& label)
{
    if (!value.isValid())
        throw conversionError(text, kind, label);
    return value;
}

} // namespace

namespace TableValues {

int compareValues(const QVariant& a, const QVariant& b, bool caseInsensitive)
{
    const bool an = a.isNull();
    const bool bn = b.isNull();
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    switch (a.typeId()) {
    case QMetaType::QString:
        return QString::compare(a.toString(), b.toString(),
                                caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
    case QMetaType::Int:
    case QMetaType::LongLong:
        return threeWay(a.toLongLong(), b.toLongLong());
    case QMetaType::Double:
        return threeWay(a.toDouble(), b.toDouble());
    case QMetaType::Bool:
        return int(a.toBool()) - int(b.toBool());
    case QMetaType::QDate:
        return threeWay(a.toDate(), b.toDate());
    case QMetaType::QTime:
        return threeWay(a.toTime(), b.toTime());
    case QMetaType::QDateTime:
        return threeWay(a.toDateTime(), b.toDateTime());
    case QMetaType::QByteArray:
        return a.toByteArray().compare(b.toByteArray());
    default:
        return QString::compare(a.toString(), b.toString());
    }
}

int compareRows(const Row& a, const Row& b, const QList<int>& positions, bool caseInsensitive)
{
    for (int p : positions) {
        const int c = compareValues(a.value(p), b.value(p), caseInsensitive);
        if (c != 0)
            return c;
    }
    return 0;
}

QString displayText(const QVariant& v)
{
    if (v.isNull())
        return QString();
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
        return QString::number(v.toDouble(), 'g', 15);
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate);
    case QMetaType::QTime:
        return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::QByteArray:
        return QString::fromLatin1(v.toByteArray().toHex());
    default:
        return v.toString();
    }
}

QString keyText(const Row& row, const QList<int>& positions)
{
    QStringList parts;
    for (int p : positions)
        parts << displayText(row.value(p));
    return parts.join(QStringLiteral(", "));
}

} // namespace TableValues

using TableValues::displayText;

void ColumnRules::setRange(const QString& field, int minimum, int maximum)
{
    m_ranges.insert(field.toLower(),
                    {qint64(std::min(minimum, maximum)), qint64(std::max(minimum, maximum))});
}

QVariant ColumnRules::minValue(const QString& field) const
{
    const auto it = m_ranges.constFind(field.toLower());
    return it == m_ranges.constEnd() ? QVariant() : QVariant(int(it->minimum));
}

QVariant ColumnRules::maxValue(const QString& field) const
{
    const auto it = m_ranges.constFind(field.toLower());
    return it == m_ranges.constEnd() ? QVariant() : QVariant(int(it->maximum));
}

void ColumnRules::setLabel(const QString& field, const QString& label)
{
    m_labels.insert(field.toLower(), label);
}

void ColumnRules::setRequired(const QString& field, bool required)
{
    m_requiredOverrides.insert(field.toLower(), required);
}

QString ColumnRules::label(const FieldDef& def) const
{
    return m_labels.value(def.name.toLower(), def.name);
}

bool ColumnRules::isRequired(const FieldDef& def) const
{
    const auto it = m_requiredOverrides.constFind(def.name.toLower());
    if (it != m_requiredOverrides.constEnd())
        return *it;
    return def.required;
}

void ColumnRules::checkRange(const FieldDef& def, qint64 value, const QString& text) const
{
    const auto it = m_ranges.constFind(def.name.toLower());
    if (it == m_ranges.constEnd())
        return;
    if (value < it->minimum || value > it->maximum)
        throw DatabaseError(
            QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is "
                           "%3 to %4.")
                .arg(quoted(text), label(def))
                .arg(it->minimum)
                .arg(it->maximum));
}

void ColumnRules::checkRangeDouble(const FieldDef& def, double value, const QString& text) const
{
    const auto it = m_ranges.constFind(def.name.toLower());
    if (it == m_ranges.constEnd())
        return;
    if (value < double(it->minimum) || value > double(it->maximum))
        throw DatabaseError(
            QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is "
                           "%3 to %4.")
                .arg(quoted(text), label(def))
                .arg(it->minimum)
                .arg(it->maximum));
}

QVariant ColumnRules::fromText(const FieldDef& def, const QString& text) const
{
    if (text.isEmpty())
        return QVariant();
    if (isTextType(def.type)) {
        if (def.type == FieldType::Alpha && def.size > 0 && text.size() > def.size)
            throw DatabaseError(
                QStringLiteral("The text %1 is too long for field '%2', which holds at most "
                               "%3 characters.")
                    .arg(quoted(text), label(def))
                    .arg(def.size));
        return text;
    }
    if (text.trimmed().isEmpty())
        return QVariant();
    if (isIntegerType(def.type)) {
        qint64 value = 0;
        if (!parseWholeNumber(text, &value) || value < std::numeric_limits<int>::min() ||
            value > std::numeric_limits<int>::max())
            throw conversionError(text, QStringLiteral("integer"), label(def));
        return fromInteger(def, value, text.trimmed());
    }
    if (isFloatType(def.type)) {
        double value = 0;
        if (!parseNumber(text, &value))
            throw conversionError(text, QStringLiteral("floating point"), label(def));
        checkRangeDouble(def, value, text.trimmed());
        return value;
    }
    switch (def.type) {
    case FieldType::Logical: {
        bool ok = false;
        const bool value = parseLogical(text, &ok);
        if (!ok)
            throw conversionError(text, QStringLiteral("logical"), label(def));
        return value;
    }
    case FieldType::Date:
        return validOrRefused(parseDate(text), text, QStringLiteral("date"), label(def));
    case FieldType::Time:
        return validOrRefused(parseTime(text), text, QStringLiteral("time"), label(def));
    case FieldType::Timestamp:
        return validOrRefused(parseTimestamp(text), text, QStringLiteral("date and time"),
                              label(def));
    case FieldType::Bcd: {
        double value = 0;
        if (!parseNumber(text, &value))
            throw conversionError(text, QStringLiteral("numeric"), label(def));
        return text.trimmed();
    }
    default:
        break;
    }
    if (isBinaryType(def.type))
        return text.toLatin1();
    return text;
}

QVariant ColumnRules::fromInteger(const FieldDef& def, qint64 value, const QString& text) const
{
    if (isIntegerType(def.type)) {
        const qint64 lo =
            def.type == FieldType::Short ? kShortMin : qint64(std::numeric_limits<int>::min()) + 1;
        const qint64 hi =
            def.type == FieldType::Short ? kShortMax : qint64(std::numeric_limits<int>::max());
        if (value < lo || value > hi)
            throw DatabaseError(
                QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is "
                               "%3 to %4.")
                    .arg(quoted(text), label(def))
                    .arg(lo)
                    .arg(hi));
        checkRange(def, value, text);
        return int(value);
    }
    if (isFloatType(def.type)) {
        checkRange(def, value, text);
        return double(value);
    }
    if (def.type == FieldType::Logical)
        return value != 0;
    return fromText(def, text);
}

QVariant ColumnRules::convert(const FieldDef& def, const QVariant& value) const
{
    if (value.isNull() || !value.isValid())
        return QVariant();
    switch (value.typeId()) {
    case QMetaType::QString:
        return fromText(def, value.toString());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
        return fromInteger(def, value.toLongLong(), value.toString());
    case QMetaType::Bool:
        if (def.type == FieldType::Logical)
            return value.toBool();
        if (isIntegerType(def.type) || isFloatType(def.type))
            return fromInteger(def, value.toBool() ? 1 : 0, value.toString());
        return fromText(def, displayText(value));
    case QMetaType::Double:
    case QMetaType::Float:
        if (isFloatType(def.type)) {
            checkRangeDouble(def, value.toDouble(), displayText(value));
            return value.toDouble();
        }
        return fromText(def, displayText(value));
    case QMetaType::QDate:
        if (def.type == FieldType::Date)
            return value.toDate();
        if (def.type == FieldType::Timestamp)
            return QDateTime(value.toDate(), QTime(0, 0));
        return fromText(def, displayText(value));
    case QMetaType::QTime:
        if (def.type == FieldType::Time)
            return value.toTime();
        return fromText(def, displayText(value));
    case QMetaType::QDateTime:
        if (def.type == FieldType::Timestamp)
            return value.toDateTime();
        if (def.type == FieldType::Date)
            return value.toDateTime().date();
        if (def.type == FieldType::Time)
            return value.toDateTime().time();
        return fromText(def, displayText(value));
    case QMetaType::QByteArray:
        if (isBinaryType(def.type))
            return value.toByteArray();
        return fromText(def, QString::fromLatin1(value.toByteArray()));
    default:
        return fromText(def, value.toString());
    }
}

int ColumnRules::toInteger(const FieldDef& def, const QVariant& v) const
{
    if (v.isNull())
        return 0;
    switch (v.typeId()) {
    case QMetaType::Int:
        return v.toInt();
    case QMetaType::Bool:
        return v.toBool() ? 1 : 0;
    case QMetaType::Double: {
        const double x = v.toDouble();
        if (x < std::numeric_limits<int>::min() || x > std::numeric_limits<int>::max())
            throw DatabaseError(QStringLiteral("%1 is not a valid integer value for field '%2'.")
                                    .arg(quoted(displayText(v)), label(def)));
        return int(std::llround(x));
    }
    default: {
        qint64 n = 0;
        const QString text = displayText(v);
        if (!parseWholeNumber(text, &n) || n < std::numeric_limits<int>::min() ||
            n > std::numeric_limits<int>::max())
            throw DatabaseError(QStringLiteral("%1 is not a valid integer value for field '%2'.")
                                    .arg(quoted(text), label(def)));
        return int(n);
    }
    }
}

bool ColumnRules::toBoolean(const FieldDef& def, const QVariant& v) const
{
    if (v.isNull())
        return false;
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool();
    case QMetaType::Int:
    case QMetaType::Double:
        return v.toDouble() != 0;
    default: {
        bool ok = false;
        const bool b = parseLogical(displayText(v), &ok);
        if (!ok)
            throw DatabaseError(QStringLiteral("%1 is not a valid logical value for field '%2'.")
                                    .arg(quoted(displayText(v)), label(def)));
        return b;
    }
    }
}
