// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// Any file content given to the log loader's row reader, in a locale picked by the first byte.
#include "common/localeformats.h"
#include "logfile/logreader.h"

#include <QByteArray>
#include <QLocale>

#include <cstdint>
#include <cstdlib>

using namespace orvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    static const LocaleFormats formats[] = {
        LocaleFormats(QLocale(QLocale::English, QLocale::UnitedStates)),
        LocaleFormats(QLocale(QLocale::German, QLocale::Germany)),
        LocaleFormats(QLocale::c()),
    };
    LogReader reader(QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1)),
                     formats[data[0] % 3]);
    LogRow row;
    qint64 lastPosition = -1;
    for (;;) {
        const LogReader::Line line = reader.next(row);
        if (line == LogReader::Line::End)
            break;
        // Every line read moves on; the reader never runs past the content.
        if (reader.position() <= lastPosition || reader.position() > reader.size())
            std::abort();
        lastPosition = reader.position();
        if (line == LogReader::Line::Bad && reader.errorString().isEmpty())
            std::abort();
    }
    return 0;
}
