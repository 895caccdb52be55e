// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QtGlobal>

namespace orvel {

/// Screen lengths in twips (1440 an inch) and back, at `dpi` dots per inch (below 1 counts as
/// 1). Both round to the nearest whole unit, so that at any resolution up to 1440 dpi pixels
/// stored as twips come back as the same pixels.
int pixelsToTwips(int pixels, qreal dpi);
int twipsToPixels(int twips, qreal dpi);

} // namespace orvel
