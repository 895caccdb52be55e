// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

namespace orvel {

/// The variant "Missing": an optional value argument that the caller did not pass.
/// An invalid QVariant is the variant "Empty".
struct RegMissing
{};

/// The conversions between the program's values (QVariant) and the typed bytes the settings
/// store keeps: text for types 1, 2 and 7 (UTF-8 with one terminating NUL), 32-bit numbers for
/// types 4 (little-endian) and 5 (big-endian), bytes as they are for every other type.
/// Stateless; RegObject uses it for its reads and writes.
class RegValueCodec
{
public:
    // The value types handled.
    static constexpr qint32 RegSz = 1;
    static constexpr qint32 RegExpandSz = 2;
    static constexpr qint32 RegBinary = 3;
    static constexpr qint32 RegDword = 4;
    static constexpr qint32 RegDwordBigEndian = 5;
    static constexpr qint32 RegMultiSz = 7;

    /// The bytes that store `value` as type `*type`, or false (with `data` untouched) when the
    /// value has no form of that type. Text takes any value that has a text form, numbers and
    /// dates in the user's formats; types 4 and 5 take numbers, dates, booleans and bytes,
    /// rounded to a 32-bit integer; other types take only a QByteArray. A type-1 text holding
    /// a %NAME% reference turns `*type` into 2.
    static bool encode(const QVariant &value, qint32 *type, QByteArray *data);
    /// The value of stored bytes of type `type`: text without its terminator (with %NAME%
    /// references expanded for type 2), an int for types 4 and 5, the bytes for other types.
    /// On failure returns an invalid variant and sets `*error` to the store's result code
    /// (invalid data for a text without terminator, more data for a number over 4 bytes).
    static QVariant decode(quint32 type, const QByteArray &data, long *error);

    /// `text` up to its first NUL character.
    static QString trimAtNull(const QString &text);
    /// `text` with every %NAME% of a set environment variable replaced by its value; unknown
    /// and empty references stay as written.
    static QString expandEnvironment(const QString &text);
    static qint32 swapByteOrder(qint32 n);
    /// Any value as text, numbers and dates in the user's formats; false for the variant
    /// Missing and for kinds that have no text form.
    static bool toText(const QVariant &value, QString *text);
    /// A numeric, date, boolean or byte value as a 32-bit integer, rounded to nearest with ties
    /// to even; false for any other kind and for numbers beyond 32 bits.
    static bool toDword(const QVariant &value, qint32 *number);
};

} // namespace orvel

Q_DECLARE_METATYPE(orvel::RegMissing)
