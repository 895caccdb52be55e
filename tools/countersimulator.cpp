#include "countersimulator.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace orvel {

namespace {

// In fast streaming, keep about this much queued so the terminal never runs dry.
constexpr qsizetype FastWatermark = 4096;
constexpr qsizetype GarbageChunk = 80;

QString systemMessage(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1StringView(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

QByteArray countLine(qint32 small, qint32 large)
{
    return QByteArray::number(small) + ',' + QByteArray::number(large) + "\r\n";
}

} // namespace

CounterSimulator::CounterSimulator(QObject *parent)
    : QObject(parent)
{
    connect(&m_streamTimer, &QTimer::timeout, this, &CounterSimulator::streamNext);
}

CounterSimulator::~CounterSimulator()
{
    closeDescriptors();
}

bool CounterSimulator::open()
{
    if (isOpen())
        return true;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        m_errorString = systemMessage("posix_openpt");
        return false;
    }
    char name[128] = {};
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0) {
        m_errorString = systemMessage("pseudo-terminal setup");
        ::close(master);
        return false;
    }
    // Hold the terminal side open for as long as the simulator lives: without it the first
    // close by the logger would hang up the line and every later write would fail.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) {
        m_errorString = systemMessage(name);
        ::close(master);
        return false;
    }
    termios settings = {};
    if (::tcgetattr(slave, &settings) != 0) {
        m_errorString = systemMessage("tcgetattr");
        ::close(slave);
        ::close(master);
        return false;
    }
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    ::cfsetspeed(&settings, B9600);
    if (::tcsetattr(slave, TCSANOW, &settings) != 0 ||
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK) != 0) {
        m_errorString = systemMessage("terminal settings");
        ::close(slave);
        ::close(master);
        return false;
    }

    m_master = master;
    m_slave = slave;
    m_devicePath = QString::fromLocal8Bit(name);
    m_errorString.clear();
    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &CounterSimulator::readIncoming);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(queuedBytes() > 0);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &CounterSimulator::writeQueued);
    return true;
}

void CounterSimulator::hangUp()
{
    stopStream();
    closeDescriptors();
}

void CounterSimulator::closeDescriptors()
{
    // Possibly called from a slot of one of the notifiers: let them go from the event loop.
    for (QSocketNotifier *notifier : {m_readNotifier, m_writeNotifier}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    m_readNotifier = nullptr;
    m_writeNotifier = nullptr;
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
    m_outgoing.clear();
    m_outgoingOffset = 0;
}

void CounterSimulator::sendRaw(const QByteArray &bytes)
{
    queue(bytes);
}

void CounterSimulator::sendLine(qint32 small, qint32 large)
{
    queue(countLine(small, large));
}

void CounterSimulator::sendLineSplit(qint32 small, qint32 large, int gapMs)
{
    const QByteArray line = countLine(small, large);
    const qsizetype half = line.size() / 2;
    queue(line.left(half));
    QTimer::singleShot(gapMs, this, [this, rest = line.mid(half)] { queue(rest); });
}

void CounterSimulator::sendGarbage(qsizetype count)
{
    QByteArray noise(count, Qt::Uninitialized);
    for (char &c : noise)
        c = char(QRandomGenerator::global()->bounded(0x20, 0x100));
    queue(noise);
}

bool CounterSimulator::loadStreamFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_errorString = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    m_streamLines.clear();
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        // The text after the file's last line end is no line.
        if (i == lines.size() - 1 && line.isEmpty())
            break;
        m_streamLines.append(line + "\r\n");
    }
    m_streamFromFile = true;
    return true;
}

void CounterSimulator::setStreamSplit(bool split, int gapMs)
{
    m_streamSplit = split;
    m_splitGapMs = gapMs;
}

void CounterSimulator::startStream(int intervalMs, int count)
{
    stopStream();
    m_streaming = true;
    m_itemsStreamed = 0;
    m_streamCount = count;
    if (m_streamFromFile && count == 0)
        m_streamCount = int(m_streamLines.size());
    if (m_streamFromFile && m_streamLines.isEmpty()) {
        m_streaming = false;
        QTimer::singleShot(0, this, &CounterSimulator::streamFinished);
        return;
    }
    m_fast = intervalMs <= 0;
    if (m_fast)
        streamFast();
    else
        m_streamTimer.start(intervalMs);
}

void CounterSimulator::stopStream()
{
    m_streamTimer.stop();
    m_streaming = false;
}

bool CounterSimulator::streamDone() const
{
    return m_streamCount > 0 && m_itemsStreamed >= m_streamCount;
}

void CounterSimulator::streamNext()
{
    // A split line still waiting for its second half holds the next item back.
    if (!m_streaming || m_waitingForSplit)
        return;
    const QByteArray item = nextStreamItem();
    ++m_itemsStreamed;
    const bool last = streamDone();
    if (last)
        stopStream();

    if (m_streamSplit && !m_streamGarbage && item.size() > 1) {
        const qsizetype half = item.size() / 2;
        queue(item.left(half));
        m_waitingForSplit = true;
        QTimer::singleShot(m_splitGapMs, this, [this, last, rest = item.mid(half)] {
            m_waitingForSplit = false;
            queue(rest);
            if (last)
                m_finishPending = true;
            else if (m_fast)
                streamFast();
        });
        return;
    }
    queue(item);
    if (last)
        m_finishPending = true;
}

void CounterSimulator::streamFast()
{
    while (m_streaming && !m_waitingForSplit && queuedBytes() < FastWatermark)
        streamNext();
}

QByteArray CounterSimulator::nextStreamItem()
{
    if (m_streamGarbage) {
        QByteArray noise(GarbageChunk, Qt::Uninitialized);
        for (char &c : noise)
            c = char(QRandomGenerator::global()->bounded(0x20, 0x100));
        return noise;
    }
    if (m_streamFromFile)
        return m_streamLines.at(m_itemsStreamed % m_streamLines.size());
    return nextReading();
}

QByteArray CounterSimulator::nextReading()
{
    // A drifting reading, as a real room gives: each step within 10% of the last.
    auto *random = QRandomGenerator::global();
    const qint32 smallSpread = qMax(m_walkSmall / 10, 10);
    m_walkSmall = qBound(0, m_walkSmall + random->bounded(-smallSpread, smallSpread + 1), 100000);
    const qint32 largeSpread = qMax(m_walkLarge / 10, 2);
    m_walkLarge =
        qBound(0, m_walkLarge + random->bounded(-largeSpread, largeSpread + 1), m_walkSmall);
    return countLine(m_walkSmall, m_walkLarge);
}

QByteArray CounterSimulator::historyAnswer() const
{
    QByteArray answer = "D\r\n"
                        "COUNTER UNIT\r\n"
                        "STORED READINGS\r\n"
                        "INTERVAL 1 MIN\r\n";
    for (const Record &record : m_historyRecords)
        answer += countLine(record.first, record.second);
    if (m_historyRecords.isEmpty())
        answer += "NO DATA\r\n";
    answer += "\r\n"
              "ALARMS\r\n"
              "NO DATA\r\n"
              "END\r\n";
    return answer;
}

qsizetype CounterSimulator::unreadBytes() const
{
    int count = 0;
    if (m_slave < 0 || ::ioctl(m_slave, FIONREAD, &count) != 0)
        return 0;
    return count;
}

void CounterSimulator::queue(const QByteArray &bytes)
{
    if (!isOpen() || bytes.isEmpty())
        return;
    m_outgoing += bytes;
    m_writeNotifier->setEnabled(true);
}

void CounterSimulator::writeQueued()
{
    while (queuedBytes() > 0) {
        const ssize_t written =
            ::write(m_master, m_outgoing.constData() + m_outgoingOffset, size_t(queuedBytes()));
        if (written > 0) {
            m_outgoingOffset += written;
            m_bytesWritten += written;
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break; // the terminal is full; the notifier says when it has room again
        fail(systemMessage("write"));
        return;
    }
    if (queuedBytes() > 0) {
        // Drop what has gone out now and then, not on every write.
        if (m_outgoingOffset > FastWatermark * 16) {
            m_outgoing.remove(0, m_outgoingOffset);
            m_outgoingOffset = 0;
        }
        return;
    }
    m_outgoing.clear();
    m_outgoingOffset = 0;
    m_writeNotifier->setEnabled(false);
    if (m_fast && m_streaming)
        streamFast();
    if (queuedBytes() > 0)
        return;
    Q_EMIT drained();
    if (m_finishPending) {
        m_finishPending = false;
        Q_EMIT streamFinished();
    }
}

void CounterSimulator::readIncoming()
{
    char chunk[4096];
    QByteArray arrived;
    for (;;) {
        const ssize_t count = ::read(m_master, chunk, sizeof chunk);
        if (count > 0) {
            arrived.append(chunk, count);
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        // The terminal side is gone for good; stop listening rather than spin.
        m_readNotifier->setEnabled(false);
        break;
    }
    if (arrived.isEmpty())
        return;
    m_received += arrived;
    Q_EMIT bytesReceived(arrived);

    if (!m_answersHistory)
        return;
    m_command += arrived;
    for (qsizetype at = m_command.indexOf("D\r"); at >= 0; at = m_command.indexOf("D\r")) {
        m_command.remove(0, at + 2);
        queue(historyAnswer());
        Q_EMIT historyRequested();
    }
    // Only a "D" at the very end can still become a request.
    m_command = m_command.right(1);
}

void CounterSimulator::fail(const QString &message)
{
    m_errorString = message;
    m_outgoing.clear();
    m_outgoingOffset = 0;
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
    stopStream();
    Q_EMIT failed();
}

} // namespace orvel
