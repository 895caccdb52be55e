// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "settings/registrytext.h"

#include "settings/registryfile.h"

#include <QStringDecoder>

namespace orvel {

namespace {

// Hex byte lists wrap before this column, as in the export files.
constexpr int HexLineWidth = 77;

QString quoted(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (const QChar c : text) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        out += c;
    }
    out += u'"';
    return out;
}

// Reads a quoted text starting at line[*pos] == '"'; leaves *pos after the closing quote.
bool readQuoted(const QString &line, qsizetype *pos, QString *text, QString *error)
{
    text->clear();
    for (qsizetype i = *pos + 1; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'"') {
            *pos = i + 1;
            return true;
        }
        if (c == u'\\') {
            if (i + 1 >= line.size() || (line.at(i + 1) != u'\\' && line.at(i + 1) != u'"')) {
                *error = QStringLiteral("a backslash in quotes must be followed by \\ or \"");
                return false;
            }
            ++i;
        }
        *text += line.at(i);
    }
    *error = QStringLiteral("a quote is not closed");
    return false;
}

bool readHexBytes(QStringView list, QByteArray *data, QString *error)
{
    data->clear();
    if (list.trimmed().isEmpty())
        return true;
    for (const QStringView item : list.split(u',')) {
        const QStringView digits = item.trimmed();
        bool ok = false;
        const uint byte = digits.toUInt(&ok, 16);
        if (!ok || digits.isEmpty() || digits.size() > 2 || byte > 0xff) {
            *error = QStringLiteral("\"%1\" is not a hex byte").arg(digits.toString());
            return false;
        }
        data->append(char(byte));
    }
    return true;
}

bool readData(QStringView data, RegistryValue *value, QString *error)
{
    if (data.startsWith(u'"')) {
        const QString line = data.toString();
        qsizetype pos = 0;
        QString text;
        if (!readQuoted(line, &pos, &text, error))
            return false;
        if (!QStringView(line).mid(pos).trimmed().isEmpty()) {
            *error = QStringLiteral("unexpected text after the closing quote");
            return false;
        }
        value->type = 1;
        value->data = text.toUtf8();
        value->data.append('\0');
        return true;
    }
    if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
        const QStringView digits = data.mid(6).trimmed();
        bool ok = false;
        const quint32 number = digits.toUInt(&ok, 16);
        if (!ok || digits.isEmpty() || digits.size() > 8) {
            *error = QStringLiteral("\"%1\" is not a dword of 8 hex digits").arg(data.toString());
            return false;
        }
        value->type = 4;
        value->data = QByteArray(4, '\0');
        for (int i = 0; i < 4; ++i)
            value->data[i] = char((number >> (8 * i)) & 0xff);
        return true;
    }
    if (data.startsWith(u"hex:", Qt::CaseInsensitive)) {
        value->type = 3;
        return readHexBytes(data.mid(4), &value->data, error);
    }
    if (data.startsWith(u"hex(", Qt::CaseInsensitive)) {
        const qsizetype close = data.indexOf(u"):");
        bool ok = false;
        const quint32 type = close > 4 ? data.mid(4, close - 4).toUInt(&ok, 16) : 0;
        if (!ok) {
            *error = QStringLiteral("\"%1\" does not name a value type as hex(N):")
                         .arg(data.left(16).toString());
            return false;
        }
        value->type = type;
        return readHexBytes(data.mid(close + 2), &value->data, error);
    }
    if (data == u"-")
        *error = QStringLiteral("removing a value with =- is not possible in this file");
    else
        *error = QStringLiteral("\"%1\" is not quoted text, dword: or hex:").arg(data.toString());
    return false;
}

bool isUtf8Text(const QByteArray &bytes, QString *text)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    *text = decoder(bytes);
    return !decoder.hasError();
}

} // namespace

QString RegistryText::formatHeader()
{
    return QStringLiteral("Windows Registry Editor Version 5.00");
}

bool RegistryText::parse(const QByteArray &bytes, RegistryFile *file, QString *error)
{
    file->clear();
    QByteArray content = bytes;
    if (content.startsWith("\xEF\xBB\xBF"))
        content.remove(0, 3);
    QString text;
    if (!isUtf8Text(content, &text)) {
        *error = QStringLiteral("the file is not UTF-8 text");
        return false;
    }
    if (text.trimmed().isEmpty())
        return true;

    QStringList lines = text.split(u'\n');
    for (QString &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    if (lines.first().trimmed() != formatHeader()) {
        *error = QStringLiteral("line 1: the first line is not \"%1\"").arg(formatHeader());
        return false;
    }
    std::optional<QStringList> current;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype lineNumber = i + 1;
        QString line = lines.at(i).trimmed();
        // A byte list may go on over several lines, each but the last ending in a backslash.
        while ((line.startsWith(u'"') || line.startsWith(u'@')) && line.endsWith(u'\\') &&
               i + 1 < lines.size()) {
            line.chop(1);
            line += lines.at(++i).trimmed();
        }
        QString what;
        if (!parseLine(line, file, &current, &what)) {
            file->clear();
            *error = QStringLiteral("line %1: %2").arg(lineNumber).arg(what);
            return false;
        }
    }
    return true;
}

bool RegistryText::parseLine(const QString &line, RegistryFile *file,
                             std::optional<QStringList> *current, QString *error)
{
    if (line.isEmpty() || line.startsWith(u';'))
        return true;
    if (line.startsWith(u'[')) {
        if (!line.endsWith(u']')) {
            *error = QStringLiteral("a key name in brackets lacks its closing \"]\"");
            return false;
        }
        const QString name = line.mid(1, line.size() - 2);
        if (name.startsWith(u'-')) {
            *error = QStringLiteral("removing a key with [-...] is not possible in this file");
            return false;
        }
        QStringList path = name.split(u'\\');
        if (path.takeFirst().compare(file->rootName(), Qt::CaseInsensitive) != 0) {
            *error = QStringLiteral("the key \"%1\" is not below %2").arg(name, file->rootName());
            return false;
        }
        for (const QString &part : path) {
            if (!RegistryFile::isValidKeyName(part)) {
                *error = QStringLiteral("the key \"%1\" has an empty or overlong name").arg(name);
                return false;
            }
        }
        file->createKey(path);
        *current = path;
        return true;
    }
    RegistryValue value;
    qsizetype pos = 0;
    if (line.startsWith(u'@')) {
        pos = 1;
    } else if (line.startsWith(u'"')) {
        if (!readQuoted(line, &pos, &value.name, error))
            return false;
    } else {
        *error = QStringLiteral("\"%1\" is neither a [key] nor a \"name\"=value line")
                     .arg(line.left(40));
        return false;
    }
    const QStringView rest = QStringView(line).mid(pos).trimmed();
    if (!rest.startsWith(u'=')) {
        *error = QStringLiteral("the value name is not followed by \"=\"");
        return false;
    }
    if (!*current) {
        *error = QStringLiteral("a value comes before the first [key] line");
        return false;
    }
    if (!readData(rest.mid(1).trimmed(), &value, error))
        return false;
    // A name given twice keeps the last value, as an import would.
    file->setValue(**current, value);
    return true;
}

QByteArray RegistryText::serialise(const RegistryFile &file)
{
    QString out = formatHeader() + u'\n';
    for (const QStringList &path : file.keyPaths()) {
        const QList<RegistryValue> values = file.values(path);
        if (path.isEmpty() && values.isEmpty())
            continue;
        out += QStringLiteral("\n[%1]\n").arg((QStringList{file.rootName()} + path).join(u'\\'));
        for (const RegistryValue &value : values) {
            QString line = value.name.isEmpty() ? QStringLiteral("@=") : quoted(value.name) + u'=';
            QString text;
            if (value.type == 1 && value.data.indexOf('\0') == value.data.size() - 1 &&
                isUtf8Text(value.data.chopped(1), &text) && !text.contains(u'\n') &&
                !text.contains(u'\r')) {
                out += line + quoted(text) + u'\n';
                continue;
            }
            if (value.type == 4 && value.data.size() == 4) {
                quint32 number = 0;
                for (int i = 3; i >= 0; --i)
                    number = (number << 8) | quint8(value.data.at(i));
                out += line + QStringLiteral("dword:%1\n").arg(number, 8, 16, QChar(u'0'));
                continue;
            }
            line += value.type == 3 ? QStringLiteral("hex:")
                                    : QStringLiteral("hex(%1):").arg(value.type, 0, 16);
            qsizetype column = line.size();
            for (qsizetype i = 0; i < value.data.size(); ++i) {
                QString byte =
                    QStringLiteral("%1").arg(quint8(value.data.at(i)), 2, 16, QChar(u'0'));
                if (i + 1 < value.data.size())
                    byte += u',';
                if (column + byte.size() > HexLineWidth) {
                    line += QStringLiteral("\\\n  ");
                    column = 2;
                }
                line += byte;
                column += byte.size();
            }
            out += line + u'\n';
        }
    }
    out += u'\n';
    return out.toUtf8();
}

} // namespace orvel
