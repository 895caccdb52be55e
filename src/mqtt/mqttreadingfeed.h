// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QObject>

namespace orvel {

class MqttPublisher;
class SampleProcessor;

/// Hands every reading a recording logs to a publisher, so that a reading goes to the broker
/// exactly when it went into the log, with the same sample number, counts and time stamp. The
/// window and the headless recorder both publish through it.
///
/// Only readings of a running recording are handed on. Neither part is owned; both must outlive
/// the feed. Starting, stopping and configuring the publisher stay with the caller. UI thread.
class MqttReadingFeed : public QObject
{
    Q_OBJECT
public:
    MqttReadingFeed(SampleProcessor &processor, MqttPublisher &publisher,
                    QObject *parent = nullptr);
};

} // namespace orvel
