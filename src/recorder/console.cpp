// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "recorder/console.h"

#include <QStringList>

namespace orvel {

Console::Console(std::FILE *out, std::FILE *err)
    : m_out(out)
    , m_err(err)
{}

void Console::showError(const QString &message)
{
    QStringList lines = message.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString &line : lines)
        line = line.trimmed();
    lines.removeAll(QString());
    const QByteArray text =
        QStringLiteral("orvel-recorder: %1\n").arg(lines.join(QLatin1Char(' '))).toUtf8();
    std::fwrite(text.constData(), 1, std::size_t(text.size()), m_err);
    std::fflush(m_err);
}

void Console::appendLogText(const QString &text)
{
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray bytes = plain.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), m_out);
    std::fflush(m_out);
}

} // namespace orvel
