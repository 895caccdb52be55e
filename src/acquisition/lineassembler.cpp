#include "acquisition/lineassembler.h"

namespace orvel {

LineAssembler::Result LineAssembler::append(QStringView received)
{
    Result result;
    m_buffer += received;

    const QString lineEnd = QStringLiteral("\r\n");
    qsizetype from = 0;
    for (qsizetype end = m_buffer.indexOf(lineEnd); end >= 0;
         end = m_buffer.indexOf(lineEnd, from)) {
        result.lines.append(m_buffer.mid(from, end + 2 - from));
        from = end + 2;
    }
    if (from > 0) {
        m_buffer.remove(0, from);
        m_overflowing = false;
    }

    if (m_buffer.size() > m_limit) {
        // Keep a trailing CR: it may be the first half of the next line end.
        const bool keepCr = m_buffer.endsWith(u'\r');
        result.droppedChars = m_buffer.size() - (keepCr ? 1 : 0);
        m_buffer = keepCr ? QStringLiteral("\r") : QString();
        result.overflowStarted = !m_overflowing;
        m_overflowing = true;
    }
    return result;
}

QString LineAssembler::overflowMessage(qsizetype dropped)
{
    return QStringLiteral("%1 characters arrived from the counter unit without a line end and were "
                          "discarded. The port is probably not set to the unit's speed (9600 "
                          "baud), or the device on this port is not the counter unit.")
        .arg(dropped);
}

} // namespace orvel
