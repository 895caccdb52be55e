// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "settings/regvaluecodec.h"

#include "common/localeformats.h"
#include "settings/registrystore.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>

#include <cmath>
#include <limits>

namespace orvel {

namespace {

// Days since 30 December 1899 with the time of day as the fraction, the way the program's dates
// count when they are taken as numbers.
double serialDate(const QDateTime &time)
{
    static const QDate epoch(1899, 12, 30);
    const double days = double(epoch.daysTo(time.date()));
    const double fraction = time.time().msecsSinceStartOfDay() / 86400000.0;
    return days < 0 ? days - fraction : days + fraction;
}

bool isNumber(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Float:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

} // namespace

bool RegValueCodec::toDword(const QVariant &value, qint32 *number)
{
    double real = 0;
    const int type = value.metaType().id();
    if (type == QMetaType::Bool) {
        *number = value.toBool() ? -1 : 0;
        return true;
    }
    if (type == QMetaType::QDateTime)
        real = serialDate(value.toDateTime());
    else if (type == QMetaType::QDate)
        real = serialDate(value.toDate().startOfDay());
    else if (isNumber(value))
        real = value.toDouble();
    else
        return false;
    const double rounded = std::nearbyint(real);
    if (!std::isfinite(rounded) || rounded < std::numeric_limits<qint32>::min() ||
        rounded > std::numeric_limits<qint32>::max())
        return false;
    *number = qint32(rounded);
    return true;
}

bool RegValueCodec::toText(const QVariant &value, QString *text)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    switch (value.metaType().id()) {
    case QMetaType::UnknownType:
        text->clear();
        return true;
    case QMetaType::Bool:
        *text = value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        return true;
    case QMetaType::Float:
        *text = locale.toString(double(value.toFloat()), 'G', 7);
        return true;
    case QMetaType::Double:
        *text = locale.toString(value.toDouble(), 'G', 15);
        return true;
    case QMetaType::QDateTime:
        *text = LocaleFormats(locale).generalDate(value.toDateTime());
        return true;
    case QMetaType::QDate:
        *text = LocaleFormats(locale).generalDate(value.toDate().startOfDay());
        return true;
    case QMetaType::QByteArray:
        *text = QString::fromUtf8(value.toByteArray());
        return true;
    default:
        if (value.metaType() == QMetaType::fromType<RegMissing>() || !value.canConvert<QString>())
            return false;
        *text = value.toString();
        return true;
    }
}

QString RegValueCodec::trimAtNull(const QString &text)
{
    const qsizetype end = text.indexOf(QChar(0));
    return end < 0 ? text : text.left(end);
}

QString RegValueCodec::expandEnvironment(const QString &text)
{
    const QString in = trimAtNull(text);
    QString out;
    out.reserve(in.size());
    qsizetype i = 0;
    while (i < in.size()) {
        if (in.at(i) == u'%') {
            const qsizetype close = in.indexOf(u'%', i + 1);
            if (close > i + 1) {
                const QByteArray name = in.mid(i + 1, close - i - 1).toLocal8Bit();
                if (qEnvironmentVariableIsSet(name.constData())) {
                    out += qEnvironmentVariable(name.constData());
                    i = close + 1;
                    continue;
                }
            }
        }
        // An unknown or empty reference stays as written.
        out += in.at(i);
        ++i;
    }
    return out;
}

qint32 RegValueCodec::swapByteOrder(qint32 n)
{
    const quint32 u = quint32(n);
    return qint32((u >> 24) | ((u >> 8) & 0xff00u) | ((u << 8) & 0xff0000u) | (u << 24));
}

bool RegValueCodec::encode(const QVariant &value, qint32 *type, QByteArray *data)
{
    switch (*type) {
    case RegSz:
    case RegExpandSz:
    case RegMultiSz: {
        QString text;
        if (!toText(value, &text))
            return false;
        // A text with a %NAME% reference is stored for expansion. Only plain text is promoted:
        // a multi-string stays one, as its items would be lost to an expansion.
        const qsizetype first = text.indexOf(u'%');
        if (*type == RegSz && first >= 0 && text.indexOf(u'%', first + 2) >= 0)
            *type = RegExpandSz;
        *data = text.toUtf8();
        data->append('\0');
        return true;
    }
    case RegDword:
    case RegDwordBigEndian: {
        qint32 number = 0;
        if (!toDword(value, &number))
            return false;
        const quint32 bits = quint32(*type == RegDword ? number : swapByteOrder(number));
        *data = QByteArray(4, '\0');
        for (int i = 0; i < 4; ++i)
            (*data)[i] = char((bits >> (8 * i)) & 0xff);
        return true;
    }
    default:
        if (*type < 0 || value.metaType().id() != QMetaType::QByteArray)
            return false;
        *data = value.toByteArray();
        return true;
    }
}

QVariant RegValueCodec::decode(quint32 type, const QByteArray &data, long *error)
{
    switch (type) {
    case RegSz:
    case RegExpandSz:
    case RegMultiSz:
        // Without its terminator a text value cannot be read.
        if (data.isEmpty()) {
            *error = RegistryStore::InvalidData;
            return {};
        }
        return type == RegExpandSz ? expandEnvironment(QString::fromUtf8(data.chopped(1)))
                                   : QString::fromUtf8(data.chopped(1));
    case RegDword:
    case RegDwordBigEndian: {
        if (data.size() > 4) {
            *error = RegistryStore::MoreData;
            return {};
        }
        quint32 n = 0;
        for (qsizetype i = 0; i < data.size(); ++i)
            n |= quint32(quint8(data.at(i))) << (8 * i);
        return type == RegDword ? qint32(n) : swapByteOrder(qint32(n));
    }
    default:
        return data;
    }
}

} // namespace orvel
