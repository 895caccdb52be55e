#pragma once

#include <QString>
#include <QStringList>

namespace orvel {

/// The receive buffer: collects characters as they arrive and cuts them into complete lines.
///
/// Every complete line (ending in CR LF) is handed out at once, in arrival order, with its CR LF.
/// A partial line stays until the rest arrives, for the whole run (closing and reopening the port
/// keeps it). The buffer is bounded: a stream without CR LF (a wrong baud rate, noise) is dropped
/// once it passes the limit, and the first drop of each such run is reported.
class LineAssembler
{
public:
    static constexpr qsizetype DefaultLimit = 32766;

    struct Result
    {
        QStringList lines;            ///< complete lines, each ending in "\r\n"
        qsizetype droppedChars = 0;   ///< characters thrown away by this call
        bool overflowStarted = false; ///< true on the first drop since the last complete line
    };

    explicit LineAssembler(qsizetype limit = DefaultLimit)
        : m_limit(limit)
    {}

    Result append(QStringView received);

    /// What to tell the user when `dropped` characters arrived without a line end.
    static QString overflowMessage(qsizetype dropped);
    const QString &buffer() const { return m_buffer; }
    /// Drops a partial line, so what arrives next starts a new one.
    void clear()
    {
        m_buffer.clear();
        m_overflowing = false;
    }
    qsizetype limit() const { return m_limit; }

private:
    QString m_buffer;
    qsizetype m_limit;
    bool m_overflowing = false;
};

} // namespace orvel
