// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QComboBox>

#include <functional>
#include <optional>

namespace orvel {

class DeviceIdentities;
class SerialPort;

/// The port list of the log toolbar. Each entry is a port the probe found, with its port number
/// as the item data, its device path under `DevicePathRole`, and a tooltip naming the device, the
/// physical adapter behind it and why it could not be opened. It tells which port is chosen and
/// chooses the stored one again on the next run, following the device first, so that a port that
/// moved to another number or place in the list is still found. UI thread only.
class PortList : public QComboBox
{
    Q_OBJECT
public:
    /// The item data role that holds an entry's device path.
    static constexpr int DevicePathRole = Qt::UserRole + 1;

    explicit PortList(QWidget *parent = nullptr);

    /// Probes COM1 to COM16 through `port` and appends what it finds.
    void fill(SerialPort &port, const DeviceIdentities &identities);
    /// Port number of the selected entry, or 0 when nothing is selected.
    int selectedPortNumber() const;
    /// Device path of the selected entry, or empty.
    QString selectedDevicePath() const;
    /// Selects the entry of the stored `device`, else of the stored port `number`, else (for
    /// settings written before either was stored) the stored list index that `storedIndex`
    /// reads; failing all of them the first entry.
    void selectStored(const QString &device, std::optional<int> number,
                      const std::function<std::optional<int>()> &storedIndex);
};

} // namespace orvel
