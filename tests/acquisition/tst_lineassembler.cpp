#include "acquisition/lineassembler.h"

#include <QTest>

using namespace orvel;

class TestLineAssembler : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void assembles_data();
    void assembles();
    void runawayStreamIsBounded();
};

void TestLineAssembler::assembles_data()
{
    QTest::addColumn<QStringList>("chunks");
    QTest::addColumn<QList<QStringList>>("linesPerChunk");
    QTest::addColumn<QString>("left");

    QTest::newRow("split across two reads")
        << QStringList{"12,", "3\r\n"} << QList<QStringList>{{}, {"12,3\r\n"}} << "";
    QTest::newRow("bunched into one read")
        << QStringList{"1,2\r\n3,4\r\n"} << QList<QStringList>{{"1,2\r\n", "3,4\r\n"}} << "";
    QTest::newRow("line end split between CR and LF")
        << QStringList{"1,2\r", "\n5"} << QList<QStringList>{{}, {"1,2\r\n"}} << "5";
    QTest::newRow("partial line kept for the next read")
        << QStringList{"1,2\r\n3,", "4\r\n"} << QList<QStringList>{{"1,2\r\n"}, {"3,4\r\n"}} << "";
    QTest::newRow("bare LF is not a line end")
        << QStringList{"1,2\n3,4\r\n"} << QList<QStringList>{{"1,2\n3,4\r\n"}} << "";
}

void TestLineAssembler::assembles()
{
    QFETCH(QStringList, chunks);
    QFETCH(QList<QStringList>, linesPerChunk);
    QFETCH(QString, left);
    LineAssembler assembler;
    for (qsizetype i = 0; i < chunks.size(); ++i) {
        const auto result = assembler.append(chunks[i]);
        QCOMPARE(result.lines, linesPerChunk[i]);
        QCOMPARE(result.droppedChars, 0);
    }
    QCOMPARE(assembler.buffer(), left);
}

void TestLineAssembler::runawayStreamIsBounded()
{
    LineAssembler assembler(100);
    const QString noise(60, u'x');
    QVERIFY(!assembler.append(noise).overflowStarted);
    auto result = assembler.append(noise);
    QVERIFY(result.overflowStarted);
    QCOMPARE(result.droppedChars, 120);
    QVERIFY(assembler.buffer().isEmpty());

    // The same run of noise is reported only once.
    assembler.append(noise);
    result = assembler.append(noise);
    QCOMPARE(result.droppedChars, 120);
    QVERIFY(!result.overflowStarted);

    // A good line afterwards gets through and re-arms the report.
    result = assembler.append(QStringLiteral("xx\r\n12,3\r\n"));
    QCOMPARE(result.lines, (QStringList{"xx\r\n", "12,3\r\n"}));
    assembler.append(QString(101, u'y'));
    QVERIFY(assembler.buffer().isEmpty());
}

QTEST_GUILESS_MAIN(TestLineAssembler)
#include "tst_lineassembler.moc"
