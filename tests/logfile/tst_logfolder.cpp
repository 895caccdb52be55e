// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "common/failure.h"
#include "logfile/logfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace orvel;

class TestLogFolder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void looksUpOnceAndCreates_data();
    void looksUpOnceAndCreates();
    void reportsFolderThatCannotBeCreated_data();
    void reportsFolderThatCannotBeCreated();
};

void TestLogFolder::looksUpOnceAndCreates_data()
{
    QTest::addColumn<bool>("trailingSlash");
    QTest::newRow("documents without slash") << false;
    QTest::newRow("documents with slash") << true;
}

void TestLogFolder::looksUpOnceAndCreates()
{
    QFETCH(bool, trailingSlash);
    QTemporaryDir dir;
    int lookups = 0;
    // The documents folder is missing too: every missing level is created.
    LogFolder folder([&] {
        ++lookups;
        return dir.filePath(QStringLiteral("a/b")) +
               (trailingSlash ? QStringLiteral("/") : QString());
    });
    const QString expected = dir.filePath(QStringLiteral("a/b/Orvel Logs"));
    QCOMPARE(folder.path(), expected);
    QCOMPARE(folder.path(), expected);
    QCOMPARE(lookups, 1);
    QVERIFY(QFileInfo(expected).isDir());
    // An existing folder is fine.
    LogFolder::CreateFolderPath(expected);
}

void TestLogFolder::reportsFolderThatCannotBeCreated_data()
{
    QTest::addColumn<QString>("blocker");
    QTest::newRow("a file in the way") << "file";
    QTest::newRow("a file where a parent should be") << "file/below";
}

void TestLogFolder::reportsFolderThatCannotBeCreated()
{
    QFETCH(QString, blocker);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString path = dir.filePath(blocker);
    try {
        LogFolder::CreateFolderPath(path);
        QFAIL("no failure raised");
    } catch (const Failure &failure) {
        QCOMPARE(failure.number(), Failure::FolderCreation);
        QVERIFY2(failure.description().endsWith(QStringLiteral("\r\n\r\nCannot create folder '") +
                                                path + u'\''),
                 qPrintable(failure.description()));
    }
}

QTEST_GUILESS_MAIN(TestLogFolder)
#include "tst_logfolder.moc"
