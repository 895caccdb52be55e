// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "history/historydownload.h"

#include "acquisition/countstoken.h"
#include "acquisition/serialport.h"
#include "common/failure.h"
#include "common/notifier.h"
#include "logfile/logfolder.h"

#include <QDir>

namespace orvel {

namespace {

const QString Source = QStringLiteral("HistoryDownload");
const QString Request = QStringLiteral("D\r");

/// Whether `field` reads as a number: optional sign, digits, optional fraction.
bool isNumber(QStringView field)
{
    qsizetype i = 0;
    if (i < field.size() && (field[i] == u'+' || field[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    bool point = false;
    for (; i < field.size(); ++i) {
        const char16_t c = field[i].unicode();
        if (c >= u'0' && c <= u'9') {
            ++digits;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits > 0;
}

QStringView trimSpaces(QStringView text)
{
    while (!text.isEmpty() && text.front() == u' ')
        text = text.sliced(1);
    while (!text.isEmpty() && text.back() == u' ')
        text.chop(1);
    return text;
}

QString withoutLineEnd(QString line)
{
    while (line.endsWith(u'\n') || line.endsWith(u'\r'))
        line.chop(1);
    return line;
}

} // namespace

HistoryDownload::HistoryDownload(const PortMap &portMap, Notifier &notifier, QObject *parent)
    : QObject(parent)
    , m_notifier(notifier)
    , m_port(new SerialPort(portMap, this))
{
    // A receive event follows every arrival of characters.
    m_port->setRThreshold(1);
    connect(m_port, &SerialPort::OnComm, this, &HistoryDownload::handleComm);
    connect(m_port, &SerialPort::portLost, this, &HistoryDownload::handlePortLost);

    m_noAnswerTimer.setSingleShot(true);
    m_noAnswerTimer.setInterval(DefaultNoAnswerTimeoutMs);
    connect(&m_noAnswerTimer, &QTimer::timeout, this, &HistoryDownload::handleNoAnswer);
}

HistoryDownload::~HistoryDownload()
{
    close();
}

void HistoryDownload::setCommPort(int portNumber)
{
    m_port->setCommPort(portNumber);
}

int HistoryDownload::CommPort() const
{
    return m_port->CommPort();
}

void HistoryDownload::StartDownload()
{
    m_noAnswerTimer.stop();
    ParseHistoryText(QString(), true);
    m_buffer = LineAssembler();
    m_state = State::Idle;
    m_recordCount = 0;
    m_charactersReceived = 0;
    m_unitSilent = false;
    m_text = HeaderText;
    Q_EMIT textReset(m_text);
    Q_EMIT progressChanged();

    try {
        if (m_isDebug)
            openCapture();
        m_port->setPortOpen(false);
        m_port->setPortOpen(true);
        m_port->setOutBufferCount(0);
        m_port->setInBufferCount(0);
        m_port->Output(Request);
    } catch (const Failure &) {
        // Nothing will arrive: leave neither the port nor an empty capture open.
        m_port->setPortOpen(false);
        closeCapture();
        throw;
    }

    m_state = State::Requested;
    m_noAnswerTimer.start();
    Q_EMIT progressChanged();
}

void HistoryDownload::openCapture()
{
    closeCapture();
    if (!m_logFolder) {
        throw Failure(75, Source,
                      tr("The debug history file cannot be created: no log folder is set."));
    }
    m_capture.setFileName(QDir(m_logFolder->path()).filePath(m_debugHistoryFileName));
    if (!m_capture.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        const QString reason = m_capture.errorString();
        m_capture.setFileName(QString());
        throw Failure(75, Source,
                      tr("Cannot create the debug history file '%1': %2")
                          .arg(QDir(m_logFolder->path()).filePath(m_debugHistoryFileName), reason));
    }
    m_captureFailureReported = false;
}

void HistoryDownload::closeCapture()
{
    if (m_capture.isOpen())
        m_capture.close();
    m_capture.setFileName(QString());
}

QString HistoryDownload::ParseHistoryText(QString text, bool reset)
{
    if (reset) {
        m_historyStarted = false;
        if (text.isEmpty())
            return {};
    }
    if (!m_historyStarted) {
        const qsizetype min = text.indexOf(QLatin1String("MIN"), 0, Qt::CaseInsensitive);
        if (min < 0)
            return {};
        m_historyStarted = true;
        text.remove(0, min);
        if (m_state == State::Requested) {
            m_state = State::Receiving;
            Q_EMIT progressChanged();
        }
    }

    if (text.contains(QLatin1String("END"), Qt::CaseInsensitive)) {
        finish(State::Ended);
        Q_EMIT ended();
        return {};
    }

    const qsizetype comma = text.indexOf(u',');
    if (comma >= 0) {
        if (isNumber(trimSpaces(QStringView(text).left(comma))))
            return convertRecord(text);
        return text;
    }
    if (text.contains(QLatin1String("NO DATA"), Qt::CaseInsensitive))
        return {};
    return text;
}

QString HistoryDownload::convertRecord(const QString &text)
{
    try {
        QString row = ParseCountsToken(text);
        ++m_recordCount;
        Q_EMIT progressChanged();
        return row;
    } catch (const Failure &failure) {
        m_notifier.showError(QStringLiteral("Error evaluating the following text:\n\n") +
                             withoutLineEnd(text) + QStringLiteral("\n\n") + failure.description());
        return {};
    }
}

void HistoryDownload::handleComm()
{
    if (m_port->CommEvent() != SerialPort::DataReceived || !m_port->PortOpen())
        return;
    try {
        processReceived(m_port->Input());
    } catch (const Failure &failure) {
        m_notifier.showError(failure.description());
    }
}

void HistoryDownload::processReceived(const QString &received)
{
    if (received.isEmpty() || m_state == State::Ended)
        return;
    m_charactersReceived += received.size();
    m_noAnswerTimer.stop();
    if (m_unitSilent) {
        m_unitSilent = false;
        Q_EMIT progressChanged();
    }
    capture(received);

    const LineAssembler::Result result = m_buffer.append(received);
    if (result.overflowStarted) {
        m_notifier.showError(LineAssembler::overflowMessage(result.droppedChars));
    }
    // Every complete line now, in order: the unit sends its history in one burst, so a line left
    // for a later read might wait for data that never comes.
    QString added;
    for (const QString &line : result.lines) {
        added += ParseHistoryText(line);
        if (m_state == State::Ended)
            break;
    }
    if (!added.isEmpty()) {
        m_text += added;
        Q_EMIT textAppended(added);
    }
}

void HistoryDownload::capture(const QString &received)
{
    if (!m_capture.isOpen())
        return;
    const QByteArray bytes = received.toLatin1();
    if (m_capture.write(bytes) == bytes.size() || m_captureFailureReported)
        return;
    m_captureFailureReported = true;
    m_notifier.showError(tr("The received characters could not be written to the debug history "
                            "file '%1': %2")
                             .arg(m_capture.fileName(), m_capture.errorString()));
}

void HistoryDownload::handlePortLost(const QString &description)
{
    if (m_state != State::Requested && m_state != State::Receiving)
        return;
    finish(State::Interrupted);
    m_notifier.showError(
        description +
        tr("\n\nThe history download has stopped before its end; it cannot be appended to the "
           "log. Check the connection and download again."));
}

void HistoryDownload::handleNoAnswer()
{
    if (m_state != State::Requested || m_charactersReceived > 0)
        return;
    m_unitSilent = true;
    Q_EMIT progressChanged();
}

void HistoryDownload::finish(State state)
{
    m_noAnswerTimer.stop();
    try {
        m_port->setPortOpen(false);
    } catch (const Failure &) {
        // Closing a port never stops the download from ending.
    }
    closeCapture();
    if (m_state != state) {
        m_state = state;
        Q_EMIT progressChanged();
    }
}

void HistoryDownload::close()
{
    const bool running = m_state == State::Requested || m_state == State::Receiving;
    m_noAnswerTimer.stop();
    try {
        m_port->setPortOpen(false);
    } catch (...) {
        // Closing ignores every failure.
    }
    closeCapture();
    if (running)
        m_state = State::Interrupted;
}

void HistoryDownload::appendToLogFile(const QString &path, const QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        throw Failure(75, Source,
                      tr("Cannot open the log file '%1': %2").arg(path, file.errorString()));
    }
    const qint64 oldSize = file.size();
    const QByteArray bytes = text.toUtf8();
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    if (written) {
        file.close();
        if (file.error() == QFileDevice::NoError)
            return;
    }
    const QString reason = file.errorString();
    // Leave no half-written history block behind.
    file.resize(oldSize);
    throw Failure(75, Source, tr("Cannot write to the log file '%1': %2").arg(path, reason));
}

} // namespace orvel
