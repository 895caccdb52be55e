// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/logframe.h"

#include "shell/countbox.h"
#include "shell/portlist.h"
#include "shell/unitpicture.h"
#include "widgets/keyedtoolbar.h"
#include "widgets/logpaneview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvel {

namespace {

// The layout margin: 120 twips, 8 pixels at 96 dots per inch.
constexpr int Margin = 8;

} // namespace

LogFrame::LogFrame(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("LogFrame"));
    setFrameShape(QFrame::StyledPanel);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(Margin, Margin, Margin, Margin);
    grid->setSpacing(Margin);

    buildLogToolbar();
    grid->addWidget(m_logToolbar, 0, 0, 1, 3);

    // Left: the unit and its latest counts.
    auto *unitColumn = new QVBoxLayout;
    m_unitPicture = new UnitPicture(this);
    unitColumn->addWidget(m_unitPicture, 1);
    const auto countBox = [&](const QString &caption, const QString &name) {
        auto *captionLabel = new QLabel(caption, this);
        captionLabel->setAlignment(Qt::AlignHCenter);
        auto *label = new QLabel(QStringLiteral("0"), this);
        label->setObjectName(name);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignHCenter);
        QFont font = label->font();
        font.setPointSizeF(font.pointSizeF() * 1.5);
        font.setBold(true);
        label->setFont(font);
        unitColumn->addWidget(captionLabel);
        auto *box = new CountBox(label, this);
        unitColumn->addWidget(box);
        return box;
    };
    m_smallCountBox = countBox(QStringLiteral("Small"), QStringLiteral("SmallCountLabel"));
    m_largeCountBox = countBox(QStringLiteral("Large"), QStringLiteral("LargeCountLabel"));
    unitColumn->addStretch(0);
    grid->addLayout(unitColumn, 1, 0, 3, 1);

    m_logFileBox = new QLineEdit(this);
    m_logFileBox->setObjectName(QStringLiteral("LogFileTextBox"));
    m_logFileBox->setToolTip(QStringLiteral("The log file"));
    m_fileOpenButton = new QPushButton(QStringLiteral("Browse"), this);
    m_fileOpenButton->setObjectName(QStringLiteral("FileOpenButton"));
    m_deleteLogBox = new QCheckBox(QStringLiteral("Delete log before recording"), this);
    m_deleteLogBox->setObjectName(QStringLiteral("DeleteLogCheckBox"));
    m_logPane = new LogPaneView(this);
    m_logPane->setObjectName(QStringLiteral("LogRichTextBox"));

    grid->addWidget(m_logFileBox, 1, 1);
    grid->addWidget(m_fileOpenButton, 1, 2);
    grid->addWidget(m_deleteLogBox, 2, 1, 1, 2);
    grid->addWidget(m_logPane, 3, 1, 1, 2);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(1, 1);
}

QLabel *LogFrame::largeCountLabel() const
{
    return m_largeCountBox->label();
}

QLabel *LogFrame::smallCountLabel() const
{
    return m_smallCountBox->label();
}

void LogFrame::showCounts(const QString &largeText, const QString &smallText)
{
    m_largeCountBox->setText(largeText);
    m_smallCountBox->setText(smallText);
}

void LogFrame::buildLogToolbar()
{
    m_logToolbar = new KeyedToolbar(QStringLiteral("LogToolbar"), this);
    m_logToolbar->addButton(QStringLiteral("AlwaysOnTop"), QStringLiteral("Always on top"),
                            QStringLiteral("Unchecked"), true);
    m_logToolbar->addButton(QStringLiteral("LoadLogOnStartup"),
                            QStringLiteral("Load log on startup"), QStringLiteral("Unchecked"),
                            true);
    m_logToolbar->addKeyedSeparator(QStringLiteral("FirstSeparator"));
    m_logToolbar->addButton(QStringLiteral("LoadLog"), QStringLiteral("Load log"),
                            QStringLiteral("LoadLog"));
    m_logToolbar->addButton(QStringLiteral("ClearLog"), QStringLiteral("Clear log"),
                            QStringLiteral("ClearLog"));
    m_logToolbar->addKeyedSeparator();
    m_logToolbar->addButton(QStringLiteral("Record"), QStringLiteral("Record (Ctl+S)"),
                            QStringLiteral("Record"));
    m_logToolbar->addButton(QStringLiteral("RecordDemo"),
                            QStringLiteral("Record Demonstration (Ctl+M) (DEMO ONLY)"),
                            QStringLiteral("Record"));
    m_logToolbar->addButton(QStringLiteral("DownloadHistory"),
                            QStringLiteral("Download history (Ctl+D)"),
                            QStringLiteral("DownloadHistory"));
    m_logToolbar->addKeyedSeparator();
    m_logToolbar->addButton(QStringLiteral("About"),
                            QStringLiteral("About ") + QStringLiteral("Orvel Logger"),
                            QStringLiteral("About"));
    m_logToolbar->addKeyedSeparator(QStringLiteral("LastSeparator"));

    // The port and stop-after lists sit on the log toolbar, right of its buttons.
    m_comPortLabel = new QLabel(QStringLiteral("&Port:"), m_logToolbar);
    m_comPortLabel->setObjectName(QStringLiteral("ComPortLabel"));
    m_comPortLabel->setContentsMargins(Margin, 0, Margin / 2, 0);
    m_portList = new PortList(m_logToolbar);
    m_comPortLabel->setBuddy(m_portList);
    auto *stopAfterLabel = new QLabel(QStringLiteral("&Stop After:"), m_logToolbar);
    stopAfterLabel->setObjectName(QStringLiteral("StopAfterLabel"));
    stopAfterLabel->setContentsMargins(Margin * 3 / 2, 0, Margin / 2, 0);
    m_stopAfterList = new QComboBox(m_logToolbar);
    m_stopAfterList->setObjectName(QStringLiteral("StopAfterComboBox"));
    m_stopAfterList->setToolTip(QStringLiteral("Select 'Continuous' for non-stop recording"));
    stopAfterLabel->setBuddy(m_stopAfterList);
    m_logToolbar->addWidget(m_comPortLabel);
    m_logToolbar->addWidget(m_portList);
    m_logToolbar->addWidget(stopAfterLabel);
    m_logToolbar->addWidget(m_stopAfterList);
}

} // namespace orvel
