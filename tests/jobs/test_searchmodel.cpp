#include "data/dates.h"
#include "data/sql.h"
#include "firm/firmgenerator.h"
#include "jobs/foundrows.h"
#include "jobs/searchmodel.h"
#include "jobscreen.h"
#include "testdatabase.h"

#include <QSqlQuery>
#include <QTableView>
#include <QTest>

#include <algorithm>

using velmora::FoundJob;
using velmora::FoundJobsModel;
using velmora::SearchCriteria;
using velmora::SearchStatement;
using velmora::test::TestDatabase;

Q_DECLARE_METATYPE(SearchCriteria)

namespace {

// A firm of a few thousand jobs, many batches of the list's rows.
void generate(TestDatabase& t)
{
    velmora::firm::FirmOptions options;
    options.accounts = 40;
    options.drivers = 25;
    options.jobs = 3000;
    options.seed = 7;
    options.today = QDate(2025, 3, 14);
    QString error;
    if (!velmora::firm::generateFirm(t.db(), options, {}, &error))
        qFatal("generate: %s", qPrintable(error));
}

QString text(TestDatabase& t, const QString& sql) { return t.value(sql).toString(); }

// Every row `statement` gives, read at once, each as the list shows it: its cells
// joined by "|".
QStringList queried(TestDatabase& t, const SearchStatement& statement)
{
    QSqlQuery query(t.db());
    if (!velmora::run(query, statement.sql, statement.values))
        qFatal("queried: %s", qPrintable(statement.sql));
    QStringList rows;
    while (query.next()) {
        QStringList cells;
        for (int column = 0; column < FoundJobsModel::ColumnCount; ++column) {
            const QString value = query.value(column).toString();
            cells.append(column == FoundJobsModel::Date
                             ? velmora::ukDate(velmora::dateFromStored(value))
                             : value);
        }
        rows.append(cells.join(u'|'));
    }
    return rows;
}

// The rows the model holds, as queried() gives them.
QStringList shown(const QAbstractItemModel& model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model.columnCount(); ++column)
            cells.append(model.index(row, column).data().toString());
        rows.append(cells.join(u'|'));
    }
    return rows;
}

// The job numbers of the rows, sorted.
QList<qint64> numbers(const QAbstractItemModel& model)
{
    QList<qint64> all;
    for (int row = 0; row < model.rowCount(); ++row)
        all.append(model.index(row, FoundJobsModel::JobId).data().toLongLong());
    std::sort(all.begin(), all.end());
    return all;
}

QList<qint64> numbers(TestDatabase& t, const QString& sql, const QVariantList& values)
{
    QSqlQuery query(t.db());
    if (!velmora::run(query, sql, values))
        qFatal("numbers: %s", qPrintable(sql));
    QList<qint64> all;
    while (query.next())
        all.append(query.value(0).toLongLong());
    std::sort(all.begin(), all.end());
    return all;
}

// Scrolls `view` to its last row until the model has read every row; false when a scroll
// to the end reads nothing although rows remain.
bool scrollToTheEnd(QAbstractItemView* view)
{
    QAbstractItemModel* model = view->model();
    while (model->canFetchMore({})) {
        const int before = model->rowCount();
        view->scrollToBottom();
        QCoreApplication::processEvents();
        if (model->rowCount() == before && model->canFetchMore({}))
            return false;
    }
    return true;
}

} // namespace

class TestSearchModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { generate(m_firm); }

    // A pattern without a fixed start goes through the trigram index and finds the same
    // jobs, in the same order, as reading every job, also after jobs change and go.
    void textIndexFindsWhatAScanFinds()
    {
        const QString place = text(m_firm, QStringLiteral("select address_to from jobs "
                                                          "where job_id = 1000"));
        const QStringList patterns = {
            QStringLiteral("*Zan*"),    QStringLiteral("*ZAN*"),
            QStringLiteral("*a*"),      QStringLiteral("*Q Z*tti"),
            QStringLiteral("*%zz*"),    QStringLiteral("*_an*"),
            QStringLiteral("*Road*"),   QLatin1Char('*') + place.mid(2, 5) + '*',
            QStringLiteral("*nowhere*")};
        const auto compare = [this, &patterns] {
            for (const QString& pattern : patterns) {
                for (const char* column : {"passenger_name", "address_from", "address_to"}) {
                    SearchCriteria criteria;
                    QString* field = column[0] == 'p'   ? &criteria.customer
                                     : column[8] == 'f' ? &criteria.pickup
                                                        : &criteria.drop;
                    *field = pattern;
                    const auto statement =
                        velmora::searchStatement(criteria, velmora::Engine::SQLite);
                    QVERIFY(statement);
                    QString like = pattern;
                    like.replace(u'%', QLatin1String("\\%")).replace(u'_', QLatin1String("\\_"));
                    like.replace(u'*', u'%');
                    const SearchStatement scan{
                        QStringLiteral("select jobs.job_prefix, jobs.job_id, jobs.time, jobs.date, "
                                       "jobs.passenger_name, vehicle_types.vehicledescription, "
                                       "jobs.address_from, jobs.address_to from jobs not indexed "
                                       "left join vehicle_types on vehicletypeid = vehicle_type "
                                       "where jobs.%1 like ? escape '\\'")
                            .arg(QLatin1String(column)),
                        {like}};
                    QCOMPARE(queried(m_firm, *statement), queried(m_firm, scan));
                }
            }
        };
        SearchCriteria zan;
        zan.customer = QStringLiteral("*Zan*");
        QCOMPARE(queried(m_firm, *velmora::searchStatement(zan, velmora::Engine::SQLite)).size(),
                 3);
        compare();
        m_firm.exec(
            QStringLiteral("update jobs set address_to = 'Zanzibar Road' where job_id = 10"));
        m_firm.exec(QStringLiteral("delete from jobs where passenger_name = 'Mrs Q Zanetti' "
                                   "and rowid = (select min(rowid) from jobs "
                                   "where passenger_name = 'Mrs Q Zanetti')"));
        compare();
    }

    void rowsFetchedOnScrollMatchTheQuery_data()
    {
        QTest::addColumn<SearchCriteria>("criteria");
        QTest::addColumn<QString>("check");
        QTest::addColumn<QVariant>("value");
        const QString driver =
            text(m_firm, QStringLiteral("select substr(driver_name, 1, 1) from drivers "
                                        "group by 1 order by count(*) desc, 1 limit 1"));
        const QString account = text(m_firm, QStringLiteral("select account_name from accounts "
                                                            "where account_id = (select "
                                                            "account_no from jobs where "
                                                            "account_no > 0 group by 1 "
                                                            "order by count(*) desc limit 1)"));
        const QString day = text(m_firm, QStringLiteral("select date from jobs "
                                                        "where rowid = 1500"));
        if (driver.isEmpty() || account.isEmpty() || day.isEmpty())
            qFatal("the generated firm has nothing to search for");
        QTest::newRow("every job")
            << SearchCriteria{} << QStringLiteral("select job_id from jobs") << QVariant();
        QTest::newRow("customer pattern")
            << SearchCriteria{QStringLiteral("mr *"), {}, {}, {}, {}, {}}
            << QStringLiteral("select job_id from jobs where passenger_name like ?")
            << QVariant(QStringLiteral("Mr %"));
        QTest::newRow("driver pattern")
            << SearchCriteria{{}, {}, driver + QLatin1Char('*'), {}, {}, {}}
            << QStringLiteral("select job_id from jobs join drivers "
                              "on drivers.driver_id = jobs.driver where driver_name like ?")
            << QVariant(driver + QLatin1Char('%'));
        QTest::newRow("account")
            << SearchCriteria{{}, {}, {}, account, {}, {}}
            << QStringLiteral("select job_id from jobs join accounts "
                              "on accounts.account_id = jobs.account_no where account_name = ?")
            << QVariant(account);
        QTest::newRow("pick-up day")
            << SearchCriteria{{}, velmora::ukDate(velmora::dateFromStored(day)), {}, {}, {}, {}}
            << QStringLiteral("select job_id from jobs where date = ?") << QVariant(day);
    }

    void rowsFetchedOnScrollMatchTheQuery()
    {
        QFETCH(SearchCriteria, criteria);
        QFETCH(QString, check);
        QFETCH(QVariant, value);
        const auto statement = velmora::searchStatement(criteria, velmora::Engine::SQLite);
        QVERIFY(statement);
        const QStringList expected = queried(m_firm, *statement);
        QVERIFY(!expected.isEmpty());

        FoundJobsModel model(m_firm.db());
        QTableView view;
        view.setModel(&model);
        view.resize(640, 320);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QString error;
        QVERIFY2(model.search(*statement, &error), qPrintable(error));
        // Only the first batch is read until the list is scrolled.
        QCOMPARE(model.rowCount(), std::min<int>(FoundJobsModel::kBatch, expected.size()));
        QCOMPARE(shown(model), expected.mid(0, model.rowCount()));
        QVERIFY(scrollToTheEnd(&view));
        QCOMPARE(shown(model), expected);
        QCOMPARE(numbers(model),
                 numbers(m_firm, check, value.isValid() ? QVariantList{value} : QVariantList{}));
    }

    void rowsKeepWhatWasFound()
    {
        const QList<FoundJob> jobs = {
            {{"A", 1},
             "09:00:00",
             QDate(2026, 3, 2),
             "Zoë Müller",
             "Saloon Car",
             "Gare du Nord",
             ""},
            {{"B", qint64(1) << 40}, "09:00:00", QDate(), "", "Saloon Car", "Station", "Airport"},
            {{"A", 3}, "23:55:00", QDate(2026, 3, 3), "Jones", "", "Station", "Flughafen München"}};
        velmora::FoundRows rows;
        rows.append(jobs);
        QCOMPARE(rows.size(), 3);
        for (int row = 0; row < 3; ++row) {
            const FoundJob kept = rows.at(row);
            const FoundJob& job = jobs.at(row);
            QCOMPARE(kept.key.prefix, job.key.prefix);
            QCOMPARE(kept.key.number, job.key.number);
            QCOMPARE(kept.time, job.time);
            QCOMPARE(kept.date, job.date);
            QCOMPARE(kept.passenger, job.passenger);
            QCOMPARE(kept.vehicleType, job.vehicleType);
            QCOMPARE(kept.pickup, job.pickup);
            QCOMPARE(kept.drop, job.drop);
        }
        rows.clear();
        QCOMPARE(rows.size(), 0);
        rows.append(jobs.mid(2));
        QCOMPARE(rows.at(0).drop, QStringLiteral("Flughafen München"));
        QCOMPARE(rows.at(0).key.prefix, QStringLiteral("A"));
    }

    void aNewSearchStartsAgain()
    {
        FoundJobsModel model(m_firm.db());
        QString error;
        QVERIFY(model.search(*velmora::searchStatement({}, velmora::Engine::SQLite), &error));
        model.fetchMore({});
        QCOMPARE(model.rowCount(), 2 * FoundJobsModel::kBatch);
        QVERIFY(model.search(*velmora::searchStatement({}, velmora::Engine::SQLite), &error));
        QCOMPARE(model.rowCount(), FoundJobsModel::kBatch);
        QCOMPARE(model.job(0).key.number, 1);
        model.clear();
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!model.canFetchMore({}));
    }

    void theJobScreenListsEveryJobAsItIsScrolled()
    {
        JobScreen s(m_firm);
        QVERIFY(s.open());
        s.press("cmdsearch");
        s.press("cmdsearchgo");
        QVERIFY2(s.dialogs.shown.isEmpty(), qPrintable(s.dialogs.texts().join(u'/')));
        auto* list = s.find<QAbstractItemView>("List_search");
        QCOMPARE(list->model()->rowCount(), FoundJobsModel::kBatch);
        QVERIFY(scrollToTheEnd(list));
        QCOMPARE(list->model()->rowCount(),
                 m_firm.value(QStringLiteral("select count(*) from jobs")).toInt());
        QCOMPARE(shown(*list->model()),
                 queried(m_firm, *velmora::searchStatement({}, velmora::Engine::SQLite)));

        // The last row, read on scrolling, is chosen as any other.
        const QModelIndex last = list->model()->index(list->model()->rowCount() - 1, 0);
        list->setCurrentIndex(last);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(s.text("txtjobno"), last.siblingAtColumn(FoundJobsModel::JobId).data().toString());
        QVERIFY(!s.find("searchpanel")->isVisible());
    }

private:
    TestDatabase m_firm;
};

QTEST_MAIN(TestSearchModel)
#include "test_searchmodel.moc"
