// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "mqtt/mqttsettings.h"

#include "settings/regobject.h"

namespace orvel {

namespace {

QString text(RegObject &store, const QString &name)
{
    const QVariant value =
        store.RegRead(RegObject::CurrentUser, MqttSettings::Key, name, QString());
    if (!value.isValid() || RegObject::isMissing(value) || value.typeId() != QMetaType::QString)
        return {};
    return value.toString().trimmed();
}

} // namespace

MqttSettings MqttSettings::read(RegObject &store)
{
    MqttSettings settings;
    settings.broker = text(store, QStringLiteral("Broker"));
    settings.topic = text(store, QStringLiteral("Topic"));
    settings.name = text(store, QStringLiteral("Name"));
    return settings;
}

} // namespace orvel
