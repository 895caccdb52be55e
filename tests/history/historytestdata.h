// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "history/historydownload.h"

#include <QString>

namespace orvel::test {

/// What the pane shows for the simulator's default history.
inline QString defaultHistoryText()
{
    return HistoryDownload::HeaderText + QStringLiteral("MIN\r\n"
                                                        "1200\t300\r\n"
                                                        "400\t500\r\n"
                                                        "104300\t19700\r\n"
                                                        "\r\n"
                                                        "ALARMS\r\n");
}

} // namespace orvel::test
