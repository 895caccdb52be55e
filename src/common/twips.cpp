// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "common/twips.h"

#include <algorithm>
#include <cmath>

namespace orvel {

namespace {

constexpr qreal TwipsPerInch = 1440.0;

} // namespace

int pixelsToTwips(int pixels, qreal dpi)
{
    return int(std::lround(pixels * TwipsPerInch / std::max<qreal>(1, dpi)));
}

int twipsToPixels(int twips, qreal dpi)
{
    return int(std::lround(twips * std::max<qreal>(1, dpi) / TwipsPerInch));
}

} // namespace orvel
