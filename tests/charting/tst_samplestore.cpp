// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/samplestore.h"
#include "testsupport.h"

#include <QList>
#include <QTest>

using namespace orvel;

namespace {

/// The store as a plain list whose roll-off moves every newer entry down one slot.
struct PlainStore
{
    struct Entry
    {
        qint32 large = 0;
        qint32 small = 0;
        QDateTime time;
    };
    QList<Entry> entries;

    void append(qint32 large, qint32 small, const QDateTime &time)
    {
        if (entries.size() == SampleStore::MaxStoredSamples)
            entries.removeFirst();
        entries.append({large, small, time});
    }
    void rollOff()
    {
        if (entries.isEmpty())
            return;
        entries.removeFirst();
        entries.append(Entry());
    }
    void grow(qint32 count)
    {
        while (entries.size() < std::min(count, SampleStore::MaxStoredSamples))
            entries.append(Entry());
    }
};

QString mismatch(const SampleStore &store, const PlainStore &plain)
{
    if (store.size() != plain.entries.size())
        return QStringLiteral("size %1, expected %2").arg(store.size()).arg(plain.entries.size());
    for (qint32 slot = 1; slot <= store.size(); ++slot) {
        const PlainStore::Entry &entry = plain.entries[slot - 1];
        if (store.large(slot) != entry.large || store.small(slot) != entry.small ||
            store.count(SampleStore::LargeChannel, slot) != entry.large ||
            store.count(SampleStore::SmallChannel, slot) != entry.small ||
            store.time(slot) != entry.time)
            return QStringLiteral("slot %1 differs").arg(slot);
    }
    return {};
}

QDateTime minute(qint32 sample)
{
    return test::frozenTime().addSecs(60 * qint64(sample - 1));
}

} // namespace

class TestSampleStore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keepsTheNewestWeek_data()
    {
        QTest::addColumn<qint32>("samples");

        QTest::newRow("empty") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("one short of full") << 10079;
        QTest::newRow("full") << 10080;
        QTest::newRow("first roll-off") << 10081;
        QTest::newRow("twice around") << 2 * 10080 + 17;
    }
    void keepsTheNewestWeek()
    {
        QFETCH(qint32, samples);
        SampleStore store;
        for (qint32 k = 1; k <= samples; ++k)
            store.append(2 * k, k, minute(k));

        const qint32 kept = std::min(samples, SampleStore::MaxStoredSamples);
        const qint32 dropped = samples - kept;
        QCOMPARE(store.size(), kept);
        QCOMPARE(store.isEmpty(), samples == 0);
        // Sample k lives in slot k - dropped: slot 1 the oldest kept, the last slot the newest.
        for (qint32 slot = 1; slot <= kept; ++slot) {
            const qint32 k = slot + dropped;
            if (store.small(slot) != k || store.large(slot) != 2 * k ||
                store.time(slot) != minute(k))
                QFAIL(
                    qPrintable(QStringLiteral("slot %1 does not hold sample %2").arg(slot).arg(k)));
        }
    }

    void behavesLikeABlockMove_data()
    {
        QTest::addColumn<QString>("steps");

        // a: append one sample, r: roll off, g: grow by three slots, c: clear
        QTest::newRow("roll a part-filled store, then grow") << "aaaaarrgaa";
        QTest::newRow("roll an empty store") << "raa";
        QTest::newRow("clear after rolling") << "aaarrcaa";
        QTest::newRow("grow after rolling the ring around") << "aaaarrrrrrrrrgag";
    }
    void behavesLikeABlockMove()
    {
        QFETCH(QString, steps);
        SampleStore store;
        PlainStore plain;
        qint32 next = 1;
        for (const QChar step : steps) {
            switch (step.toLatin1()) {
            case 'a':
                store.append(2 * next, next, minute(next));
                plain.append(2 * next, next, minute(next));
                ++next;
                break;
            case 'r':
                store.rollOff();
                plain.rollOff();
                break;
            case 'g':
                store.grow(store.size() + 3);
                plain.grow(plain.entries.size() + 3);
                break;
            case 'c':
                store.clear();
                plain = PlainStore();
                break;
            }
            QCOMPARE(mismatch(store, plain), QString());
        }
    }

    void outsideTheSlotsReadsEmpty()
    {
        SampleStore store;
        store.append(20, 10, minute(1));
        store.set(0, 1, 1, minute(5));
        store.set(2, 1, 1, minute(5));
        QCOMPARE(store.size(), 1);
        QCOMPARE(store.large(0), 0);
        QCOMPARE(store.small(2), 0);
        QVERIFY(store.time(2).isNull());
        QCOMPARE(store.large(1), 20);
    }
};

QTEST_GUILESS_MAIN(TestSampleStore)
#include "tst_samplestore.moc"
