// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

class QComboBox;

namespace orvel {

/// Fills the display period and stop-after lists (text and sample count as item data) and gives
/// both the width of the widest display period text.
void FillOptionLists(QComboBox *DisplayPeriodComboBox, QComboBox *StopAfterComboBox);

} // namespace orvel
