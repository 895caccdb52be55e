// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "mqtt/mqttreadingfeed.h"

#include "charting/sampleprocessor.h"
#include "mqtt/mqttpublisher.h"

namespace orvel {

MqttReadingFeed::MqttReadingFeed(SampleProcessor &processor, MqttPublisher &publisher,
                                 QObject *parent)
    : QObject(parent)
{
    connect(&processor, &SampleProcessor::sampleLogged, this,
            [&processor, &publisher](qint32 number, qint32 small, qint32 large,
                                     const QDateTime &time, const QString &) {
                if (processor.IsRecording())
                    publisher.publishReading(number, small, large, time);
            });
}

} // namespace orvel
