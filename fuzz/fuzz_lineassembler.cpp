// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// Bytes from the unit, cut into reads at arbitrary points, through the receive buffer and the
// counts parser. The first byte picks the buffer limit, the next bytes the read sizes.
#include "acquisition/countstoken.h"
#include "acquisition/lineassembler.h"
#include "common/failure.h"
#include "common/localeformats.h"

#include <QDateTime>
#include <QLocale>

#include <cstdint>
#include <cstdlib>

using namespace orvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const qsizetype limit = 8 + data[0] * 4;
    const size_t splitBytes = 1 + data[1] % 16;
    if (size < 2 + splitBytes)
        return 0;
    const uint8_t *splits = data + 2;
    const char *bytes = reinterpret_cast<const char *>(data + 2 + splitBytes);
    const size_t length = size - 2 - splitBytes;

    static const LocaleFormats formats(QLocale(QLocale::English, QLocale::UnitedStates));
    static const QDateTime stamp(QDate(2026, 12, 5), QTime(7, 50, 20));
    LineAssembler assembler(limit);
    size_t offset = 0;
    size_t splitIndex = 0;
    while (offset < length) {
        const size_t chunk =
            std::min<size_t>(length - offset, 1 + splits[splitIndex++ % splitBytes]);
        const LineAssembler::Result result =
            assembler.append(QString::fromLatin1(bytes + offset, qsizetype(chunk)));
        offset += chunk;
        if (assembler.buffer().size() > limit)
            std::abort();
        for (const QString &line : result.lines) {
            if (!line.endsWith(QLatin1String("\r\n")))
                std::abort();
            qint32 small = 0;
            qint32 large = 0;
            qint32 multiplier = qint32(data[0] % 3) * 50;
            try {
                ParseCountsToken(line, small, large, stamp, multiplier, formats);
            } catch (const Failure &) {
            }
        }
    }
    return 0;
}
