#include "exchange/cp1252.h"
#include "exchange/transferrecords.h"
#include "transferbytes.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace velmora::exchange;
using velmora::test::Bytes;

class TestTransferRecords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsAndWritesWindows1252_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii") << QByteArray("Abc 9") << QStringLiteral("Abc 9");
        QTest::newRow("pound and e acute")
            << QByteArray("\xA3\x35 caf\xE9") << QStringLiteral("£5 café");
        QTest::newRow("euro, quotes, dash")
            << QByteArray("\x80\x93\x94\x96") << QStringLiteral("€“”–");
        QTest::newRow("last of the table") << QByteArray("\x9F\xFF") << QStringLiteral("Ÿÿ");
        QTest::newRow("undefined byte") << QByteArray("\x81") << QStringLiteral("\u0081");
    }
    void readsAndWritesWindows1252()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(fromCp1252(bytes), text);
        qsizetype unmappable = 0;
        QCOMPARE(toCp1252Field(text, bytes.size() + 2, &unmappable), bytes + "  ");
        QCOMPARE(unmappable, qsizetype(0));
    }

    void writesWhatTheCodePageLacksAsQuestionMarks()
    {
        qsizetype unmappable = 0;
        // One character outside the basic plane is one "?".
        QCOMPARE(toCp1252Field(QStringLiteral("a\u0100b\U0001F695c"), 6, &unmappable),
                 QByteArray("a?b?c "));
        QCOMPARE(unmappable, qsizetype(2));
        QCOMPARE(toCp1252Field(QStringLiteral("abcdef"), 3, &unmappable), QByteArray("abc"));
    }

    void convertsOleDates_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QDateTime>("moment");
        const auto at = [](int y, int m, int d, int h, int min, int s = 0) {
            return QDateTime(QDate(y, m, d), QTime(h, min, s), Qt::UTC);
        };
        QTest::newRow("epoch") << 0.0 << at(1899, 12, 30, 0, 0);
        QTest::newRow("noon two days on") << 2.5 << at(1900, 1, 1, 12, 0);
        QTest::newRow("before the epoch") << -1.25 << at(1899, 12, 29, 6, 0);
        QTest::newRow("date and time") << 45000.75 << at(2023, 3, 15, 18, 0);
        QTest::newRow("a minute's float noise")
            << 46000.0 + (10 * 60 + 31) / 1440.0 << at(2025, 12, 9, 10, 31);
        QTest::newRow("last second") << 2958465.0 + 86399.0 / 86400 << at(9999, 12, 31, 23, 59, 59);
    }
    void convertsOleDates()
    {
        QFETCH(double, value);
        QFETCH(QDateTime, moment);
        QCOMPARE(fromOleDate(value), std::optional(moment));
        QVERIFY(std::fabs(toOleDate(moment) - value) < 1e-9);
    }

    void refusesDatesThatAreNotDates()
    {
        for (const double value :
             {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
              -657435.0, 2958466.0, 1e300})
            QVERIFY2(!fromOleDate(value), qPrintable(QString::number(value)));
    }

    void readsAJobRecordFieldByField()
    {
        velmora::test::JobBytes fields;
        fields.prefix = "B";
        fields.number = 70000;
        fields.date = 45000.75;
        fields.passenger = "Ren\xE9\x65 \xA3";
        fields.account = -2;
        fields.driver = 123456;
        fields.paymentType = 4;
        fields.vehicleType = 2;
        const QByteArray slot = velmora::test::jobSlot(fields);
        QCOMPARE(slot.size(), JobTransferRecord::kSlotBytes);

        const JobTransferRecord r = readJobRecord(slot);
        QCOMPARE(r.prefix, QStringLiteral("B"));
        QCOMPARE(r.number, 70000);
        QCOMPARE(r.date, 45000.75);
        QCOMPARE(r.time, QStringLiteral("10:30:00"));
        QCOMPARE(r.passenger, QStringLiteral("Renée £").leftJustified(50));
        QCOMPARE(r.from, QStringLiteral("1 High St").leftJustified(80));
        QCOMPARE(r.to, QStringLiteral("Station").leftJustified(80));
        QCOMPARE(int(r.account), -2);
        QCOMPARE(r.driver, 123456);
        QCOMPARE(r.passengers, 3);
        QCOMPARE(r.paymentType, 4);
        QCOMPARE(r.invoiced, QStringLiteral("N  "));
        QCOMPARE(r.vehicleType, 2);
        QCOMPARE(r.instructions, QStringLiteral("Ring twice").leftJustified(250));
        QCOMPARE(r.status, QStringLiteral("C"));
        QCOMPARE(r.invoiceNo, 77);
        QCOMPARE(r.timeText, QStringLiteral("10:30     "));
        QCOMPARE(r.accountRef, QStringLiteral("REF-9     "));
        QCOMPARE(r.costedCode, QStringLiteral("CC1       "));
        QCOMPARE(r.standardJob, 5);
        QCOMPARE(r.driverPercentage, QStringLiteral("Y"));
        QCOMPARE(r.calculated, QStringLiteral("N"));

        // Our own writer lays the same fields down in the same places.
        qsizetype unmappable = 0;
        QCOMPARE(writeJobRecord(r, &unmappable).first(JobTransferRecord::kFieldBytes),
                 slot.first(JobTransferRecord::kFieldBytes));
    }

    void readsACostRecordWithANegativeAmount()
    {
        const QByteArray slot = Bytes()
                                    .text("A", 1)
                                    .i32(12)
                                    .i32(3)
                                    .text("E", 1)
                                    .text("Caf\xE9 \xA3 refund", 40)
                                    .i64(-123456789)
                                    .i32(15)
                                    .i64(std::numeric_limits<std::int64_t>::max())
                                    .i64(-1)
                                    .text("N", 1)
                                    .i64(0)
                                    .bytes();
        QCOMPARE(slot.size(), CostTransferRecord::kSlotBytes);
        const CostTransferRecord r = readCostRecord(slot);
        QCOMPARE(r.prefix, QStringLiteral("A"));
        QCOMPARE(r.number, 12);
        QCOMPARE(r.costType, 3);
        QCOMPARE(r.incomeExpense, QStringLiteral("E"));
        QCOMPARE(r.description, QStringLiteral("Café £ refund").leftJustified(40));
        QCOMPARE(r.gross, std::int64_t(-123456789));
        QCOMPARE(r.discount, 15);
        QCOMPARE(r.discountValue, std::numeric_limits<std::int64_t>::max());
        QCOMPARE(r.net, std::int64_t(-1));
        QCOMPARE(r.vat, QStringLiteral("N"));
        QCOMPARE(r.vatValue, std::int64_t(0));
        qsizetype unmappable = 0;
        QCOMPARE(writeCostRecord(r, &unmappable), slot);
    }

    void writesAnAccountRecordByteForByte()
    {
        AccountTransferRecord r;
        r.account = 258;
        r.address = -1;
        r.name = QStringLiteral("Société Générale de Transport et de Logistique Ltd"); // 50
        r.nickname = QStringLiteral("SG");
        r.balance = -1234567; // -123.4567
        r.invoiceType = QStringLiteral("F");
        r.contact = QStringLiteral("Zoë");
        r.reference = QStringLiteral("ABC");
        r.costCode = QString();
        const QByteArray expected =
            Bytes()
                .i32(258)
                .i32(-1)
                .text("Soci\xE9t\xE9 G\xE9n\xE9rale de Transport et de Logi", 40)
                .text("SG", 20)
                .i64(-1234567)
                .text("F", 1)
                .text("Zo\xEB", 50)
                .raw(QByteArray(8, '\0'))
                .text("A", 1)
                .text(" ", 1)
                .bytes();
        QCOMPARE(expected.size(), AccountTransferRecord::kSlotBytes);
        qsizetype unmappable = 0;
        QCOMPARE(writeAccountRecord(r, &unmappable), expected);
        QCOMPARE(unmappable, qsizetype(0));
        const AccountTransferRecord back = readAccountRecord(expected);
        QCOMPARE(back.name, r.name.left(40));
        QCOMPARE(back.balance, r.balance);
        QCOMPARE(back.reference, QStringLiteral("A"));
    }
};

QTEST_GUILESS_MAIN(TestTransferRecords)
#include "test_transferrecords.moc"
