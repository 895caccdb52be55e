// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "acquisition/lineassembler.h"

#include "common/localeformats.h"

namespace orvel {

LineAssembler::Result LineAssembler::append(QStringView received)
{
    Result result;
    const QString lineEnd = QStringLiteral("\r\n");
    if (m_discarding) {
        // The rest of a run of noise, up to and including its CR LF.
        qsizetype skip = -1;
        if (m_discardedCr && received.startsWith(u'\n'))
            skip = 1;
        else if (const qsizetype end = received.indexOf(lineEnd); end >= 0)
            skip = end + 2;
        if (skip < 0) {
            result.droppedChars = received.size();
            if (!received.isEmpty())
                m_discardedCr = received.endsWith(u'\r');
            return result;
        }
        result.droppedChars = skip;
        received = received.sliced(skip);
        m_discarding = false;
        m_discardedCr = false;
    }
    m_buffer += received;

    qsizetype from = 0;
    for (qsizetype end = m_buffer.indexOf(lineEnd); end >= 0;
         end = m_buffer.indexOf(lineEnd, from)) {
        if (end - from > m_limit) {
            // A long run that ended here is noise too.
            result.droppedChars += end + 2 - from;
            result.overflowStarted = result.overflowStarted || !m_noiseReported;
            m_noiseReported = true;
        } else {
            result.lines.append(m_buffer.mid(from, end + 2 - from));
            m_noiseReported = false;
        }
        from = end + 2;
    }
    if (from > 0)
        m_buffer.remove(0, from);

    // A trailing CR may be the first half of the line end of a line at the limit.
    if (m_buffer.size() > m_limit + (m_buffer.endsWith(u'\r') ? 1 : 0)) {
        result.droppedChars += m_buffer.size();
        m_discardedCr = m_buffer.endsWith(u'\r');
        m_buffer.clear();
        m_discarding = true;
        result.overflowStarted = result.overflowStarted || !m_noiseReported;
        m_noiseReported = true;
    }
    return result;
}

void LineAssembler::clear()
{
    m_buffer.clear();
    m_discarding = false;
    m_discardedCr = false;
    m_noiseReported = false;
}

QString LineAssembler::overflowMessage(qsizetype dropped)
{
    return QStringLiteral("%1 characters arrived from the counter unit without a line end and were "
                          "discarded. A count line is a few characters long: the port is probably "
                          "not set to the unit's speed (9600 baud), or the wiring is wrong or the "
                          "device on this port is not the counter unit.")
        .arg(LocaleFormats().grouped(dropped));
}

} // namespace orvel
