#include "jobs/jobtime.h"

#include <QTest>

class TestJobTime : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void normalise_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("time"); // empty: refused
        QTest::newRow("three digits") << "930"
                                      << "09:30";
        QTest::newRow("three digits early") << "130"
                                            << "01:30";
        QTest::newRow("one hour digit with colon") << "9:30"
                                                   << "09:30";
        QTest::newRow("four digits") << "0930"
                                     << "09:30";
        QTest::newRow("with colon") << "09:30"
                                    << "09:30";
        QTest::newRow("with seconds") << "09:30:00"
                                      << "09:30";
        QTest::newRow("six digits") << "093015"
                                    << "09:30";
        QTest::newRow("five digits") << "93015"
                                     << "09:30";
        QTest::newRow("afternoon") << "1745"
                                   << "17:45";
        QTest::newRow("midnight") << "0000"
                                  << "00:00";
        QTest::newRow("end of day") << "24:00"
                                    << "24:00";
        QTest::newRow("end of day digits") << "2400"
                                           << "24:00";
        QTest::newRow("blanks around") << " 930 "
                                       << "09:30";
        QTest::newRow("past the end of day") << "24:01"
                                             << "";
        QTest::newRow("hour 25") << "2500"
                                 << "";
        QTest::newRow("minute 60") << "0960"
                                   << "";
        QTest::newRow("seconds 60") << "093060"
                                    << "";
        QTest::newRow("seconds past end of day") << "24:00:01"
                                                 << "";
        QTest::newRow("double colon") << "9::30"
                                      << "";
        QTest::newRow("one minute digit") << "9:3"
                                          << "";
        QTest::newRow("seven digits") << "0930150"
                                      << "";
        QTest::newRow("letters") << "9.30am"
                                 << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void normalise()
    {
        QFETCH(QString, typed);
        QFETCH(QString, time);
        QCOMPARE(velmora::normalisePickUpTime(typed).value_or(QString()), time);
    }

    void stored()
    {
        QCOMPARE(velmora::storedPickUpTime(QStringLiteral("09:30")), QStringLiteral("09:30:00"));
    }
};

QTEST_MAIN(TestJobTime)
#include "test_jobtime.moc"
