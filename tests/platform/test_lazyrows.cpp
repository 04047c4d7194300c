// The lazy grid under every long list: rows announced a batch at a time, a failed read
// that keeps what was read, and a new start or a clear that lets the old reading go.
#include "platform/lazyrows.h"

#include <QSignalSpy>
#include <QTest>

using velmora::LazyTableModel;
using velmora::RowSource;

namespace {

// `total` rows of two cells ("r<n>", "<n>"), failing at row `failAt` when given; counts
// the sources alive in *alive.
class CountedRows final : public RowSource
{
public:
    CountedRows(int total, int failAt, int* alive)
        : m_total(total), m_failAt(failAt), m_alive(alive)
    {
        ++*m_alive;
    }
    ~CountedRows() override { --*m_alive; }

    bool read(int count, QList<QStringList>* rows, QString* error) override
    {
        for (int done = 0; done < count && !m_end; ++done) {
            if (m_next == m_failAt) {
                m_end = true;
                *error = QStringLiteral("disk I/O error");
                return false;
            }
            if (m_next == m_total) {
                m_end = true;
                break;
            }
            rows->append({QStringLiteral("r%1").arg(m_next), QString::number(m_next)});
            ++m_next;
        }
        return true;
    }
    bool atEnd() const override { return m_end; }

private:
    int m_total;
    int m_failAt;
    int* m_alive;
    int m_next = 0;
    bool m_end = false;
};

} // namespace

class TestLazyRows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rowsComeABatchAtATime_data()
    {
        QTest::addColumn<int>("total");
        QTest::addColumn<QList<int>>("shown"); // rows after the start and each fetch
        const int batch = LazyTableModel::kBatch;
        QTest::newRow("none") << 0 << QList<int>{0};
        QTest::newRow("fewer than a batch") << 5 << QList<int>{5};
        QTest::newRow("a batch exactly") << batch << QList<int>{batch, batch};
        QTest::newRow("two and a bit")
            << 2 * batch + 3 << QList<int>{batch, 2 * batch, 2 * batch + 3};
    }

    void rowsComeABatchAtATime()
    {
        QFETCH(int, total);
        QFETCH(QList<int>, shown);
        int alive = 0;
        LazyTableModel model({QStringLiteral("Name"), QStringLiteral("Number")});
        QString error;
        QVERIFY(model.start(std::make_unique<CountedRows>(total, -1, &alive), &error));
        QCOMPARE(model.rowCount(), shown.first());
        for (qsizetype step = 1; step < shown.size(); ++step) {
            QVERIFY(model.canFetchMore({}));
            model.fetchMore({});
            QCOMPARE(model.rowCount(), shown.at(step));
        }
        QVERIFY(!model.canFetchMore({}));
        QCOMPARE(model.columnCount(), 2);
        if (total > 0) {
            QCOMPARE(model.index(total - 1, 0).data().toString(),
                     QStringLiteral("r%1").arg(total - 1));
            QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
                     QStringLiteral("Number"));
        }
        QCOMPARE(model.text(total, 0), QString());
    }

    void aFailedReadKeepsTheRowsRead()
    {
        int alive = 0;
        LazyTableModel model({QStringLiteral("Name"), QStringLiteral("Number")});
        QSignalSpy failed(&model, &LazyTableModel::fetchFailed);
        QString error;
        const int at = LazyTableModel::kBatch + 10;
        QVERIFY(model.start(std::make_unique<CountedRows>(1000, at, &alive), &error));
        model.fetchMore({});
        QCOMPARE(model.rowCount(), at);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.first().first().toString(), QStringLiteral("disk I/O error"));
        QVERIFY(!model.canFetchMore({}));

        // Failing in the first batch: said by start, its rows shown.
        QVERIFY(!model.start(std::make_unique<CountedRows>(1000, 3, &alive), &error));
        QCOMPARE(error, QStringLiteral("disk I/O error"));
        QCOMPARE(model.rowCount(), 3);
    }

    void aNewStartOrAClearLetsTheOldReadingGo()
    {
        int alive = 0;
        LazyTableModel model({QStringLiteral("Name")});
        QString error;
        QVERIFY(model.start(std::make_unique<CountedRows>(1000, -1, &alive), &error));
        QVERIFY(model.start(std::make_unique<CountedRows>(2, -1, &alive), &error));
        QCOMPARE(alive, 1);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("r1"));
        model.clear();
        QCOMPARE(alive, 0);
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!model.canFetchMore({}));
        model.fetchMore({});
        QCOMPARE(model.rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestLazyRows)
#include "test_lazyrows.moc"
