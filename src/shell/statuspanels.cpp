#include "shell/statuspanels.h"

#include "common/clock.h"
#include "common/localeformats.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QStatusBar>

namespace orvel {

namespace {

const QStringList Keys = {QStringLiteral("Animations"), QStringLiteral("Message"),
                          QStringLiteral("NumSamples"), QStringLiteral("Version"),
                          QStringLiteral("Date"),       QStringLiteral("Time")};
// Design widths in hundredths of a millimetre (2540 is one inch).
const int Widths[] = {1296, 2540, 5080, 2540, 2540, 2540};

QPixmap blankFrame(int height)
{
    QPixmap frame(43, height);
    frame.fill(Qt::transparent);
    return frame;
}

} // namespace

StatusPanels::StatusPanels(QStatusBar *bar, const Clock &clock, const LocaleFormats &formats,
                           std::function<bool()> isRecording, QObject *parent)
    : QObject(parent)
    , m_bar(bar)
    , m_clock(clock)
    , m_formats(formats)
    , m_isRecording(std::move(isRecording))
    , m_keys(Keys)
    , m_progressFrames(progressFrames())
    , m_activityFrames(activityFrames())
{
    const double dotsPerMm = bar->logicalDpiX() / 25.4;
    for (int i = 0; i < Keys.size(); ++i) {
        auto *label = new QLabel(bar);
        label->setObjectName(Keys[i]);
        label->setMinimumWidth(int(Widths[i] / 100.0 * dotsPerMm));
        label->setAlignment(Qt::AlignVCenter | (i == 0 ? Qt::AlignHCenter : Qt::AlignLeft));
        // The message and the counter take what room is left.
        bar->addPermanentWidget(label, (i == 1 || i == 2) ? 1 : 0);
        m_panels.append(label);
    }
    panel(QStringLiteral("Animations"))->setVisible(false);

    m_progressTimer.setInterval(ProgressIntervalMs);
    m_activityTimer.setInterval(ActivityIntervalMs);
    connect(&m_progressTimer, &QTimer::timeout, this, &StatusPanels::ProgressAnimationTimer_Timer);
    connect(&m_activityTimer, &QTimer::timeout, this, &StatusPanels::DownloadAnimationTimer_Timer);
    m_clockTimer.setInterval(1000);
    connect(&m_clockTimer, &QTimer::timeout, this, &StatusPanels::refreshClock);
    m_clockTimer.start();
    refreshClock();
}

StatusPanels::~StatusPanels() = default;

QLabel *StatusPanels::panel(const QString &key) const
{
    const qsizetype index = m_keys.indexOf(key);
    return index < 0 ? nullptr : m_panels[index];
}

QString StatusPanels::text(const QString &key) const
{
    const QLabel *label = panel(key);
    return label ? label->text() : QString();
}

void StatusPanels::setText(const QString &key, const QString &text)
{
    if (QLabel *label = panel(key))
        label->setText(text);
}

void StatusPanels::refreshClock()
{
    const QDateTime now = m_clock.now();
    setText(QStringLiteral("Date"), m_formats.shortDate(now.date()));
    setText(QStringLiteral("Time"), m_formats.shortTime(now.time()));
}

void StatusPanels::showFrame(const QPixmap *frame, int number)
{
    QLabel *animations = panel(QStringLiteral("Animations"));
    if (frame)
        animations->setPixmap(*frame);
    else
        animations->clear();
    m_shownFrame = frame ? number : 0;
}

void StatusPanels::ShowWaitingForData(bool on)
{
    panel(QStringLiteral("Animations"))->setVisible(on);
    if (on)
        m_progressTimer.start();
    else
        m_progressTimer.stop();
    if (on) {
        setText(QStringLiteral("Message"), QStringLiteral("Waiting for data"));
    } else {
        showFrame(nullptr, 0);
        setText(QStringLiteral("Message"), QString());
    }
}

void StatusPanels::ShowLoggingActivity()
{
    ShowWaitingForData(false);
    panel(QStringLiteral("Animations"))->setVisible(true);
    if (!m_activityTimer.isActive())
        m_activityTimer.start();
    setText(QStringLiteral("Message"), QStringLiteral("Logging"));
}

void StatusPanels::ProgressAnimationTimer_Timer()
{
    m_progressFrame = m_progressFrame % ProgressFrameCount + 1;
    showFrame(&m_progressFrames[m_progressFrame - 1], m_progressFrame);
}

void StatusPanels::DownloadAnimationTimer_Timer()
{
    m_activityFrame = m_activityFrame % ActivityFrameCount + 1;
    showFrame(&m_activityFrames[m_activityFrame - 1], m_activityFrame);
    if (m_activityFrame == ActivityFrameCount)
        ++m_activityCycles;
    if (m_activityCycles > 1) {
        m_activityCycles = 0;
        m_activityTimer.stop();
        showFrame(nullptr, 0);
        setText(QStringLiteral("Message"), QString());
        if (m_isRecording && m_isRecording())
            ShowWaitingForData(true);
    }
}

QList<QPixmap> StatusPanels::progressFrames()
{
    // A bright block sweeping along a row of cells, like a scanner.
    const QColor lit = QApplication::palette().color(QPalette::Highlight);
    const QColor dim = QApplication::palette().color(QPalette::Mid);
    QList<QPixmap> frames;
    for (int f = 0; f < ProgressFrameCount; ++f) {
        QPixmap frame = blankFrame(9);
        QPainter painter(&frame);
        for (int cell = 0; cell < 7; ++cell) {
            // Cells 0..6 forwards, then 5..1 back: 12 positions plus a rest frame.
            const int position = f < 7 ? f : (f < 12 ? 12 - f : -1);
            const int distance = position < 0 ? 9 : std::abs(cell - position);
            QColor colour = distance == 0 ? lit : dim;
            if (distance == 1)
                colour = QColor::fromRgbF((lit.redF() + dim.redF()) / 2,
                                          (lit.greenF() + dim.greenF()) / 2,
                                          (lit.blueF() + dim.blueF()) / 2);
            painter.fillRect(QRect(1 + cell * 6, 1, 5, 7), colour);
        }
        frames.append(frame);
    }
    return frames;
}

QList<QPixmap> StatusPanels::activityFrames()
{
    // A reading travelling down into a page: a dot that falls and the page's lines that fill.
    const QColor ink = QApplication::palette().color(QPalette::WindowText);
    const QColor accent = QApplication::palette().color(QPalette::Highlight);
    QList<QPixmap> frames;
    for (int f = 0; f < ActivityFrameCount; ++f) {
        QPixmap frame = blankFrame(20);
        QPainter painter(&frame);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(ink, 1));
        painter.setBrush(QApplication::palette().color(QPalette::Base));
        painter.drawRect(QRectF(22.5, 2.5, 14, 16));
        painter.setPen(QPen(accent, 1.5));
        const int lines = f / 2;
        for (int l = 0; l < lines; ++l)
            painter.drawLine(QPointF(25, 6 + l * 3.5), QPointF(34, 6 + l * 3.5));
        painter.setPen(Qt::NoPen);
        painter.setBrush(accent);
        const double x = 4 + f * 2.2;
        painter.drawEllipse(QPointF(x, 10), 3, 3);
        frames.append(frame);
    }
    return frames;
}

} // namespace orvel
