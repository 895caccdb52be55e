// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/slidermodel.h"

#include <QSignalSpy>
#include <QTest>

using namespace orvel;

class TestSliderModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void valueStaysInRange_data()
    {
        QTest::addColumn<qint32>("minimum");
        QTest::addColumn<qint32>("maximum");
        QTest::addColumn<qint32>("value");
        QTest::addColumn<qint32>("expectedMinimum");
        QTest::addColumn<qint32>("expectedMaximum");
        QTest::addColumn<qint32>("expectedValue");

        // Written in the order minimum, maximum, value, starting from 0 .. 10 at 5.
        QTest::newRow("inside") << 1 << 11 << 6 << 1 << 11 << 6;
        QTest::newRow("value below the minimum") << 3 << 11 << 1 << 3 << 11 << 3;
        QTest::newRow("value above the maximum") << 1 << 41 << 50 << 1 << 41 << 41;
        QTest::newRow("minimum above the old maximum")
            << 40000 << 40010 << 40005 << 40000 << 40010 << 40005;
        QTest::newRow("maximum below the minimum pulls it down")
            << 20 << 15 << 17 << 15 << 15 << 15;
    }
    void valueStaysInRange()
    {
        QFETCH(qint32, minimum);
        QFETCH(qint32, maximum);
        QFETCH(qint32, value);
        SliderModel slider;
        slider.setValue(5);
        slider.setMinimum(minimum);
        slider.setMaximum(maximum);
        slider.setValue(value);
        QTEST(slider.minimum(), "expectedMinimum");
        QTEST(slider.maximum(), "expectedMaximum");
        QTEST(slider.value(), "expectedValue");
    }

    void signalsOnlyRealChanges()
    {
        SliderModel slider;
        QSignalSpy spy(&slider, &SliderModel::changed);
        QVERIFY(spy.isValid());
        slider.setMinimum(slider.minimum());
        slider.setMaximum(slider.maximum());
        slider.setValue(slider.value());
        slider.setEnabled(slider.isEnabled());
        slider.setTickFrequency(slider.tickFrequency());
        slider.setText(slider.text());
        QCOMPARE(spy.size(), 0);
        QCOMPARE(slider.writeCount(), quint64(6));

        slider.setText(QStringLiteral("Start at sample 1"));
        slider.setEnabled(true);
        QCOMPARE(spy.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestSliderModel)
#include "tst_slidermodel.moc"
