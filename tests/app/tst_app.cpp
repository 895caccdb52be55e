// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// The installed program itself: started offscreen with a home of its own, then ended the way a
// logout or `kill` ends it.

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestApp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void terminationClosesCleanly()
    {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DOCUMENTS_DIR"),
                           home.filePath(QStringLiteral("Documents")));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

        QProcess logger;
        logger.setProcessEnvironment(environment);
        logger.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        logger.start(QStringLiteral(ORVEL_LOGGER_PROGRAM), {});
        QVERIFY(logger.waitForStarted(10000));
        // The log folder appears while the window loads, after the signals are caught.
        const QString logFolder = home.filePath(QStringLiteral("Documents/Orvel Logs"));
        QTRY_VERIFY_WITH_TIMEOUT(QDir(logFolder).exists(), 20000);

        logger.terminate();
        QVERIFY(logger.waitForFinished(20000));
        QCOMPARE(logger.exitStatus(), QProcess::NormalExit);
        QCOMPARE(logger.exitCode(), 0);
        // Closing saved the preferences.
        QVERIFY(QFile::exists(
            home.filePath(QStringLiteral("config/Orvel/registry/HKEY_CURRENT_USER.reg"))));
    }
};

QTEST_GUILESS_MAIN(TestApp)
#include "tst_app.moc"
