// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "common/clock.h"
#include "common/notifier.h"
#include "countersimulator.h"
#include "scriptedprompter.h"
#include "shell/shellenvironment.h"
#include "testsupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace orvel::test {

/// What a main window test runs against: the simulator as COM1 (every other port absent), a
/// temporary documents folder, time frozen at 5 December 2026 07:50:20, recorded messages and
/// scripted answers. British English, so the log's time stamps read "05/12/2026 07:50:20".
struct ShellFixture
{
    ShellEnvironment environment(bool withUnit = true)
    {
        ShellEnvironment environment;
        environment.clock = &clock;
        environment.portMap.setDeviceRoot(dir.filePath(QStringLiteral("dev")));
        if (withUnit)
            environment.portMap.setOverride(1, unitPath());
        environment.documentsFolder = [this] { return dir.path(); };
        environment.configFolder = dir.filePath(QStringLiteral("config"));
        environment.locale = QLocale(QStringLiteral("en_GB"));
        environment.notifier = &notifier;
        environment.prompter = &prompter;
        environment.screenAreas = [this] { return screenAreas; };
        return environment;
    }

    /// COM1's device: a link to the simulator's terminal. The terminal's own name is handed to
    /// the next pseudo-terminal opened on the machine once the unit hangs up (often another test
    /// running beside this one), which would look like the unit coming back; the link does not.
    QString unitPath() const { return dir.filePath(QStringLiteral("unit")); }

    /// The unit drops off: the line hangs up and its device goes away.
    void unplug()
    {
        unit->hangUp();
        QFile::remove(unitPath());
    }

    QString logPath() const { return dir.filePath(QStringLiteral("Orvel Logs/OrveaLog.txt")); }

    QByteArray logBytes() const { return test::fileBytes(logPath()); }

    QTemporaryDir dir;
    FixedClock clock{frozenTime()};
    RecordingNotifier notifier;
    ScriptedPrompter prompter;
    /// One 1400 × 900 screen, whatever screen the tests run on.
    QList<QRect> screenAreas{QRect(0, 0, 1400, 900)};
    std::unique_ptr<CounterSimulator> unit = std::make_unique<CounterSimulator>();
    bool unitOpened = unit->open() && QFile::link(unit->devicePath(), unitPath());
};

} // namespace orvel::test
