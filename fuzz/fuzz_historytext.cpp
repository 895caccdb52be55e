// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// A history answer from the unit, cut into CR LF lines, through the history parser.
#include "acquisition/portmap.h"
#include "common/failure.h"
#include "common/notifier.h"
#include "history/historydownload.h"

#include <QCoreApplication>

#include <cstdint>

using namespace orvel;

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static RecordingNotifier notifier;
    static HistoryDownload download(PortMap(), notifier);
    notifier.messages.clear();
    download.ParseHistoryText(QString(), true);
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1String("\r\n"), start);
        end = end < 0 ? text.size() : end + 2;
        try {
            download.ParseHistoryText(text.mid(start, end - start));
        } catch (const Failure &) {
        }
        start = end;
    }
    return 0;
}
