#include "app/board.h"
#include "app/boardmodel.h"
#include "app/frmmain.h"
#include "platform/scripteddialogs.h"
#include "testdatabase.h"

#include <QBrush>
#include <QTest>

using velmora::BoardModel;
using velmora::test::TestDatabase;

namespace {

const QColor kOrange(255, 128, 0);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kBlue(0, 0, 255);

QColor cellColour(const BoardModel* model, int row)
{
    return model->data(model->index(row, BoardModel::StatusColour), Qt::BackgroundRole)
        .value<QBrush>()
        .color();
}

QString cell(const BoardModel* model, int row, int column)
{
    return model->data(model->index(row, column), Qt::DisplayRole).toString();
}

} // namespace

class TestBoard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void colours_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("days");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("on board next week") << "P" << 7 << kOrange;
        QTest::newRow("on board yesterday") << "P" << -1 << kOrange;
        QTest::newRow("booked tomorrow") << "I" << 1 << kRed;
        QTest::newRow("rebooked tomorrow") << "B" << 1 << kRed;
        QTest::newRow("booked today") << "I" << 0 << kGreen;
        QTest::newRow("rebooked last week") << "B" << -7 << kGreen;
        QTest::newRow("just completed") << "C" << 3 << kBlue;
    }
    void colours()
    {
        QFETCH(QString, status);
        QFETCH(int, days);
        QFETCH(QColor, colour);
        const QDate today(2026, 12, 6);
        QCOMPARE(velmora::statusColour(status, today.addDays(days), today), colour);
    }

    void readsOutstandingJobsInPickUpOrder()
    {
        TestDatabase t;
        const int saloon = t.addVehicleType(QStringLiteral("Saloon Car"));
        const int driver = t.addDriver(QStringLiteral("Pete Walsh"));
        const QDate day(2026, 3, 2);
        t.addJob("A", day.addDays(1), "08:15:00", "Late day", "I", saloon, driver);
        t.addJob("A", day, "14:30:00", "Afternoon", "P", saloon, driver);
        t.addJob("B", day, "09:05:00", "Morning", "B", saloon, 999);
        t.addJob("A", day, "07:00:00", "Done", "C", saloon, driver);
        t.addJob("A", day, "06:00:00", "No vehicle", "I", 999, driver);

        std::vector<velmora::BoardRow> rows;
        QString error;
        QVERIFY(velmora::readBoard(t.db(), &rows, &error));
        QCOMPARE(rows.size(), std::size_t(3));
        QCOMPARE(rows[0].passenger, QStringLiteral("Morning"));
        QCOMPARE(rows[0].prefix, QStringLiteral("B"));
        QCOMPARE(rows[0].time, QStringLiteral("09:05"));
        QCOMPARE(rows[0].driver, QString()); // the driver no longer exists
        QCOMPARE(rows[1].passenger, QStringLiteral("Afternoon"));
        QCOMPARE(rows[1].driver, QStringLiteral("Pete Walsh"));
        QCOMPARE(rows[1].vehicle, QStringLiteral("Saloon Car"));
        QCOMPARE(rows[2].passenger, QStringLiteral("Late day"));
    }

    void showsARowWithEmptyFields()
    {
        TestDatabase t;
        const int saloon = t.addVehicleType(QStringLiteral("Saloon Car"));
        const QDate day(2026, 3, 2);
        t.addJob("A", day, "08:00:00", "First", "I", saloon);
        const int broken = t.addJob("A", day, "09:00:00", "Second", "I", saloon);
        t.addJob("A", day, "10:00:00", "Third", "I", saloon);
        t.exec(QStringLiteral("update jobs set address_to = null, time = null where job_id = ?"),
               {broken});

        std::vector<velmora::BoardRow> rows;
        QString error;
        QVERIFY2(velmora::readBoard(t.db(), &rows, &error), qPrintable(error));
        QCOMPARE(rows.size(), std::size_t(3));
        QCOMPARE(rows[0].passenger, QStringLiteral("Second")); // no time sorts first
        QCOMPARE(rows[0].time, QString());
        QCOMPARE(rows[0].to, QString());
    }

    void mainWindowBoard()
    {
        TestDatabase t;
        velmora::ScriptedDialogs dialogs;
        const int saloon = t.addVehicleType(QStringLiteral("Executive"));
        const QDate today = QDate::currentDate();
        const int later = t.addJob("A", today.addDays(1), "10:00:00", "Ms Green", "I", saloon);
        t.addJob("A", today, "23:59:00", "Mr Brown", "P", saloon);
        t.addJob("A", today, "06:30:00", "Dr Black", "I", saloon);

        velmora::frmmain window(t.db(), dialogs);
        window.start();
        QVERIFY(dialogs.shown.isEmpty());
        const BoardModel* model = window.board();
        QCOMPARE(model->rowCount(), 4); // three jobs and the empty row
        QCOMPARE(model->columnCount(), 11);
        QCOMPARE(cell(model, 0, BoardModel::Passenger), QStringLiteral("Dr Black"));
        QCOMPARE(cell(model, 0, BoardModel::Time), QStringLiteral("06:30"));
        QCOMPARE(cell(model, 0, BoardModel::Date), today.toString(QStringLiteral("dd/MM/yyyy")));
        QCOMPARE(cellColour(model, 0), kGreen);
        QCOMPARE(cell(model, 1, BoardModel::Status), QStringLiteral("P"));
        QCOMPARE(cellColour(model, 1), kOrange);
        QCOMPARE(cell(model, 2, BoardModel::Job), QString::number(later));
        QCOMPARE(cell(model, 2, BoardModel::Prefix), QStringLiteral("A"));
        QCOMPARE(cellColour(model, 2), kRed);
        QCOMPARE(cell(model, 3, BoardModel::Job), QString());
        QCOMPARE(model->headerData(5, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("Passenger"));
    }

    void emptyBoard()
    {
        TestDatabase t;
        velmora::ScriptedDialogs dialogs;
        const int saloon = t.addVehicleType(QStringLiteral("Saloon Car"));
        t.addJob("A", QDate::currentDate(), "09:00:00", "Finished", "C", saloon);
        velmora::frmmain window(t.db(), dialogs);
        window.start();
        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("No currently outstanding jobs")});
        QCOMPARE(window.board()->rowCount(), 1);
    }

    void emptyPassengerStaysOnTheBoard()
    {
        TestDatabase t;
        velmora::ScriptedDialogs dialogs;
        const int saloon = t.addVehicleType(QStringLiteral("Saloon Car"));
        t.addJob("A", QDate::currentDate(), "09:00:00", "Kept", "I", saloon);
        const int broken = t.addJob("A", QDate::currentDate(), "10:00:00", "Gone", "I", saloon);
        t.exec(QStringLiteral("update jobs set passenger_name = null where job_id = ?"), {broken});
        velmora::frmmain window(t.db(), dialogs);
        window.start();
        QVERIFY(dialogs.texts().isEmpty());
        QCOMPARE(cell(window.board(), 0, BoardModel::Passenger), QStringLiteral("Kept"));
        QCOMPARE(cell(window.board(), 1, BoardModel::Passenger), QString());
        QCOMPARE(cell(window.board(), 1, BoardModel::Job), QString::number(broken));
    }
};

QTEST_MAIN(TestBoard)
#include "test_board.moc"
