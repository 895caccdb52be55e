// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

namespace orvel {

/// The program's name, maker, version, desktop entry and icon, set once on the application
/// before its first window. No display name is set: the X11 and Wayland back ends would append
/// it to every caption, and the captions already are the texts they must be.
class ApplicationIdentity
{
public:
    static void apply();
};

} // namespace orvel
