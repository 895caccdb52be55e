// The LoadLog command given a path that is not a regular file: a folder, a device, a pipe.
#include "widgets/keyedtoolbar.h"
#include "widgets/logpaneview.h"
#include "shell/mainwindow.h"
#include "shell/recordingcontroller.h"
#include "shellfixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <sys/stat.h>

using namespace orvel;
using namespace orvel::test;

class TestLoadLogNotAFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void refusedWithOneMessage_data();
    void refusedWithOneMessage();
};

void TestLoadLogNotAFile::refusedWithOneMessage_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("what");
    QTest::newRow("folder") << QStringLiteral("folder") << QStringLiteral("a folder");
    QTest::newRow("device") << QStringLiteral("device") << QStringLiteral("a device or a pipe");
    QTest::newRow("named pipe") << QStringLiteral("pipe") << QStringLiteral("a device or a pipe");
}

void TestLoadLogNotAFile::refusedWithOneMessage()
{
    QFETCH(QString, kind);
    QFETCH(QString, what);
    ShellFixture fixture;
    MainWindow window(fixture.environment(false));
    window.show();

    QString path = fixture.dir.filePath(kind);
    if (kind == QStringLiteral("folder"))
        QVERIFY(QDir().mkpath(path));
    else if (kind == QStringLiteral("device"))
        path = QStringLiteral("/dev/zero");
    else
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (!QFileInfo::exists(path))
        QSKIP("no such device here");

    window.LogRichTextBox()->appendLogText(QStringLiteral("earlier\r\n"));
    window.LogFileTextBox()->setText(path);
    window.controller().LogToolbar_ButtonClick(QStringLiteral("LoadLog"));

    // Told once, nothing asked, nothing read; the commands stay usable.
    QCOMPARE(fixture.notifier.messages.size(), 1);
    QCOMPARE(fixture.notifier.messages.first(),
             QStringLiteral("Cannot load '%1': it is %2, not a log file.").arg(path, what));
    QVERIFY(fixture.prompter.texts.isEmpty());
    QCOMPARE(window.LogRichTextBox()->toPlainText(), QStringLiteral("earlier\n"));
    QVERIFY(window.logToolbar()->button(QStringLiteral("Record"))->isEnabled());
}

QTEST_MAIN(TestLoadLogNotAFile)
#include "tst_loadlognotafile.moc"
