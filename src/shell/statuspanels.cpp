// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/statuspanels.h"

#include "common/clock.h"
#include "common/localeformats.h"
#include "widgets/paintpacer.h"
#include "widgets/serverframes.h"
#include "widgets/textadvance.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QStatusBar>
#include <QStyle>

#include <numeric>
#include <vector>

namespace orvel {

namespace {

enum Panel { Animations, Message, NumSamples, Version, Date, Time };
const QStringList Keys = {QStringLiteral("Animations"), QStringLiteral("Message"),
                          QStringLiteral("NumSamples"), QStringLiteral("Version"),
                          QStringLiteral("Date"),       QStringLiteral("Time")};
// Design widths in hundredths of a millimetre (2540 is one inch).
const int Widths[] = {1296, 2540, 5080, 2540, 2540, 2540};
// Who gives way first when the bar is too narrow for every text.
const Panel ShrinkOrder[] = {Version, Date, Time, Message, NumSamples, Animations};
constexpr int Spacing = 6;
constexpr int TextPadding = 4;
constexpr int FrameWidth = 43;
constexpr int FrameHeight = 20;

QPixmap blankFrame(int height)
{
    QPixmap frame(FrameWidth, height);
    frame.fill(Qt::transparent);
    return frame;
}

/// Draws `frame` centred in `widget`, as the indicator panel shows it.
void drawIndicatorFrame(QPainter &painter, const QWidget *widget, const QPixmap &frame)
{
    const QSize size = frame.deviceIndependentSize().toSize();
    painter.drawPixmap(
        QStyle::alignedRect(widget->layoutDirection(), Qt::AlignCenter, size, widget->rect()),
        frame);
}

/// A panel that elides its text to its width and shows an animation frame without a new layout:
/// setting a frame repaints this panel's rectangle and nothing else.
class PanelLabel : public QLabel
{
public:
    using QLabel::QLabel;

    void setFrame(const QPixmap *frame)
    {
        if (frame == m_frame)
            return;
        m_frame = frame;
        update();
    }

    /// The width of the text in `font`.
    qreal textAdvance(const QFont &font) const { return m_advances.of(font, text()); }

    /// The text elided to the panel's width, kept for its text, width and font. A text that
    /// fits (its measured width, as eliding measures it) is shown as it is without eliding.
    QString shownText() const
    {
        const QString current = text();
        const int width = contentsRect().width();
        const QFont &currentFont = font();
        // At first the empty text, shown empty at any width.
        if (m_elidedWidth == width && m_elidedFrom == current && m_elidedFont == currentFont)
            return m_shown;
        // A text with variants (separated by U+009C) is left to eliding, which picks one.
        const bool fits = current.size() <= 1 ||
                          (!current.contains(QChar(0x9c)) && textAdvance(currentFont) <= width);
        m_shown = fits ? current : fontMetrics().elidedText(current, Qt::ElideRight, width);
        m_elidedFrom = current;
        m_elidedWidth = width;
        m_elidedFont = currentFont;
        return m_shown;
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QRect area = contentsRect();
        if (testAttribute(Qt::WA_OpaquePaintEvent))
            painter.fillRect(rect(), palette().window());
        if (m_frame) {
            drawIndicatorFrame(painter, this, *m_frame);
            return;
        }
        const QString shown = shownText();
        if (shown.isEmpty())
            return; // an empty panel (the indicator between frames) shows its background
        painter.setPen(palette().color(foregroundRole()));
        painter.drawText(area, int(alignment()), shown);
    }

private:
    const QPixmap *m_frame = nullptr;
    mutable TextAdvance m_advances;
    mutable QString m_elidedFrom;
    mutable QFont m_elidedFont;
    mutable QString m_shown;
    mutable int m_elidedWidth = 0;
};

PanelLabel *asPanel(QLabel *label)
{
    return static_cast<PanelLabel *>(label);
}

const PanelLabel *asPanel(const QLabel *label)
{
    return static_cast<const PanelLabel *>(label);
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
    // One row the panels are placed in by arrange(), so that texts never overlap.
    m_row = new QWidget(bar);
    m_row->setObjectName(QStringLiteral("StatusPanelRow"));
    m_row->setMinimumHeight(std::max(FrameHeight, bar->fontMetrics().height()) + 2);
    bar->addPermanentWidget(m_row, 1);
    for (int i = 0; i < Keys.size(); ++i) {
        auto *label = new PanelLabel(m_row);
        label->setObjectName(Keys[i]);
        label->setTextFormat(Qt::PlainText);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        label->setAlignment(Qt::AlignVCenter | (i == 0 ? Qt::AlignHCenter : Qt::AlignLeft));
        label->installEventFilter(this);
        m_panels.append(label);
    }
    QLabel *animations = m_panels[Animations];
    // The indicator paints its whole panel, so a frame repaints nothing behind it.
    animations->setAttribute(Qt::WA_OpaquePaintEvent);
    animations->setVisible(false);
    m_serverFrames = ServerFrames::create(
        animations, ProgressFrameCount + ActivityFrameCount,
        [this, animations](QImage &image, int index) {
            QPainter painter(&image);
            drawIndicatorFrame(painter, animations,
                               index < ProgressFrameCount
                                   ? m_progressFrames[index]
                                   : m_activityFrames[index - ProgressFrameCount]);
        });
    m_counterPacer = new PaintPacer({m_panels[NumSamples]}, this);
    m_row->installEventFilter(this);
    bar->window()->installEventFilter(this);

    m_progressTimer.setInterval(ProgressIntervalMs);
    m_activityTimer.setInterval(ActivityIntervalMs);
    connect(&m_progressTimer, &QTimer::timeout, this, &StatusPanels::ProgressAnimationTimer_Timer);
    connect(&m_activityTimer, &QTimer::timeout, this, &StatusPanels::DownloadAnimationTimer_Timer);
    // The panels show minutes: wake once a minute, just after it turns.
    m_clockTimer.setSingleShot(true);
    connect(&m_clockTimer, &QTimer::timeout, this, [this] {
        refreshClock();
        scheduleClock();
    });
    refreshClock();
    scheduleClock();
}

StatusPanels::~StatusPanels() = default;

void StatusPanels::scheduleClock()
{
    const QTime now = m_clock.now().time();
    const int intoMinute = now.second() * 1000 + now.msec();
    m_clockTimer.start(60'000 - intoMinute + 20);
}

bool StatusPanels::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_row) {
        if (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest)
            arrange();
    } else if (watched->parent() == m_row) {
        // A panel held at its size asks for no new layout when its font or style changes; the
        // row is asked here, to arrange the panels once they have seen the change.
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
            QCoreApplication::postEvent(m_row, new QEvent(QEvent::LayoutRequest));
    } else if (event->type() == QEvent::WindowStateChange || event->type() == QEvent::Show ||
               event->type() == QEvent::Hide) {
        followScreenState();
    }
    return QObject::eventFilter(watched, event);
}

bool StatusPanels::onScreen() const
{
    const QWidget *window = m_bar->window();
    // A window never shown counts as on screen: nothing has hidden it.
    return !window->isMinimized() &&
           (window->isVisible() || !window->testAttribute(Qt::WA_WState_ExplicitShowHide));
}

void StatusPanels::followScreenState()
{
    if (!m_waiting)
        return;
    if (!onScreen())
        m_progressTimer.stop();
    else if (!m_progressTimer.isActive())
        m_progressTimer.start();
}

void StatusPanels::arrange()
{
    if (m_arranging)
        return;
    m_arranging = true;
    const QFont &font = m_row->font();
    const int dpi = m_row->logicalDpiX();
    const double dotsPerMm = dpi / 25.4;
    const int count = int(m_panels.size());
    std::vector<int> content(std::size_t(count), 0);
    // What the placement depends on: the row's size and resolution, each panel's content
    // width (-1 while hidden). Unchanged, the panels stay where they are.
    std::vector<int> placedFor{m_row->width(), m_row->height(), dpi};
    int shown = 0;
    for (int i = 0; i < count; ++i) {
        const QLabel *label = m_panels[i];
        if (label->isHidden()) {
            placedFor.push_back(-1);
            continue;
        }
        ++shown;
        // Widths as QFontMetrics::horizontalAdvance rounds them.
        content[std::size_t(i)] = i == Animations ? FrameWidth + 2
                                  : label->text().isEmpty()
                                      ? 0
                                      : qRound(asPanel(label)->textAdvance(font)) + TextPadding;
        placedFor.push_back(content[std::size_t(i)]);
    }
    if (placedFor == m_placedFor) {
        m_arranging = false;
        return;
    }
    m_placedFor = std::move(placedFor);
    std::vector<int> widths(std::size_t(count), 0);
    for (int i = 0; i < count; ++i) {
        if (!m_panels[i]->isHidden())
            widths[std::size_t(i)] =
                std::max(content[std::size_t(i)], int(Widths[i] / 100.0 * dotsPerMm));
    }
    int excess =
        std::accumulate(widths.begin(), widths.end(), 0) + Spacing * (shown - 1) - m_row->width();
    // First the design widths give way, then the texts, least important first.
    for (const bool texts : {false, true}) {
        for (const Panel i : ShrinkOrder) {
            int &width = widths[std::size_t(i)];
            const int floor = texts ? 0 : content[std::size_t(i)];
            const int take = std::clamp(excess, 0, std::max(0, width - floor));
            width -= take;
            excess -= take;
        }
    }
    if (excess < 0)
        widths[NumSamples] -= excess; // the counter takes what is left
    int x = 0;
    for (int i = 0; i < count; ++i) {
        if (m_panels[i]->isHidden())
            continue;
        // Minimum and maximum size alike: a panel's new text then posts no layout request to
        // the row; setText() arranges the panels itself.
        m_panels[i]->setFixedSize(widths[std::size_t(i)], m_row->height());
        m_panels[i]->move(x, 0);
        x += widths[std::size_t(i)] + Spacing;
    }
    m_arranging = false;
}

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
    QLabel *label = panel(key);
    if (!label || label->text() == text)
        return;
    if (label == m_panels[NumSamples])
        m_counterPacer->aboutToChange(); // the counter changes with every reading
    label->setText(text);
    if (!label->isHidden())
        arrange();
}

QString StatusPanels::shownText(const QString &key) const
{
    const QLabel *label = panel(key);
    return label && !label->isHidden() ? asPanel(label)->shownText() : QString();
}

void StatusPanels::setMessage(const QString &text)
{
    setText(QStringLiteral("Message"), text);
}

void StatusPanels::setAnimationsVisible(bool on)
{
    QLabel *animations = panel(QStringLiteral("Animations"));
    if (animations->isHidden() == on) {
        animations->setVisible(on);
        arrange();
    }
}

void StatusPanels::refreshClock()
{
    const QDateTime now = m_clock.now();
    setText(QStringLiteral("Date"), m_formats.shortDate(now.date()));
    setText(QStringLiteral("Time"), m_formats.shortTime(now.time()));
}

void StatusPanels::showFrame(const QList<QPixmap> *frames, int number)
{
    m_shownFrame = frames ? number : 0;
    if (m_serverFrames) {
        const int first = frames == &m_progressFrames ? 0 : ProgressFrameCount;
        if (m_serverFrames->show(frames ? first + number - 1 : -1))
            return;
        delete m_serverFrames; // the server cannot show them: the panel paints them instead
    }
    asPanel(panel(QStringLiteral("Animations")))
        ->setFrame(frames ? &(*frames)[number - 1] : nullptr);
}

void StatusPanels::ShowWaitingForData(bool on)
{
    setAnimationsVisible(on);
    m_waiting = on;
    if (on && onScreen())
        m_progressTimer.start();
    else
        m_progressTimer.stop();
    if (on) {
        setMessage(m_waitingText.isEmpty() ? QStringLiteral("Waiting for data") : m_waitingText);
    } else {
        showFrame(nullptr, 0);
        setMessage(QString());
    }
}

void StatusPanels::setWaitingText(const QString &text)
{
    m_waitingText = text;
    if (m_waiting)
        ShowWaitingForData(true);
}

void StatusPanels::ShowLoggingActivity()
{
    // ShowWaitingForData(false) followed by the logging state, without passing through an
    // empty message and a hidden panel on the way (each would cost a new layout).
    m_waiting = false;
    m_progressTimer.stop();
    showFrame(nullptr, 0);
    setAnimationsVisible(true);
    if (!m_activityTimer.isActive())
        m_activityTimer.start();
    setMessage(QStringLiteral("Logging"));
}

void StatusPanels::ProgressAnimationTimer_Timer()
{
    m_progressFrame = m_progressFrame % ProgressFrameCount + 1;
    showFrame(&m_progressFrames, m_progressFrame);
}

void StatusPanels::DownloadAnimationTimer_Timer()
{
    m_activityFrame = m_activityFrame % ActivityFrameCount + 1;
    showFrame(&m_activityFrames, m_activityFrame);
    if (m_activityFrame == ActivityFrameCount)
        ++m_activityCycles;
    if (m_activityCycles > 1) {
        m_activityCycles = 0;
        m_activityTimer.stop();
        showFrame(nullptr, 0);
        setMessage(QString());
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
