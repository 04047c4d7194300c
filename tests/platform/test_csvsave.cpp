// "Save as CSV..." of the grids: a lazy list read on to its end while it is written, its
// rows read once, amounts plain, hidden columns left out, and a list that fails to read or
// a file that may not be written leaving nothing behind.
#include "csvread.h"
#include "platform/csvsave.h"
#include "platform/lazyrows.h"
#include "platform/scripteddialogs.h"

#include <QFile>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

namespace {

// `total` rows (number, amount as shown, note), failing at row `failAt` when given;
// counts the rows it gave in *given.
class NumberedRows final : public RowSource
{
public:
    NumberedRows(int total, int failAt, int* given)
        : m_total(total), m_failAt(failAt), m_given(given)
    {
    }

    bool read(int count, QList<QStringList>* rows, QString* error) override
    {
        for (int done = 0; done < count && !m_end; ++done, ++m_next) {
            if (m_next == m_failAt) {
                m_end = true;
                *error = QStringLiteral("disk I/O error");
                return false;
            }
            if (m_next == m_total) {
                m_end = true;
                break;
            }
            rows->append({QString::number(m_next),
                          QStringLiteral("1,%1.50").arg(m_next % 1000, 3, 10, QLatin1Char('0')),
                          m_next % 2 ? QStringLiteral("=cmd") : QStringLiteral("a, b")});
            ++*m_given;
        }
        return true;
    }
    bool atEnd() const override { return m_end; }

private:
    int m_total;
    int m_failAt;
    int* m_given;
    int m_next = 0;
    bool m_end = false;
};

const QStringList kHeadings = {QStringLiteral("Job"), QStringLiteral("Amount"),
                               QStringLiteral("Note")};

} // namespace

class TestCsvSave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wholeLazyListIsWrittenOnce_data()
    {
        QTest::addColumn<int>("total");
        QTest::newRow("empty") << 0;
        QTest::newRow("one batch") << 5;
        QTest::newRow("many batches") << LazyTableModel::kBatch * 3 + 7;
    }

    void wholeLazyListIsWrittenOnce()
    {
        QFETCH(int, total);
        int given = 0;
        LazyTableModel model(kHeadings);
        QString error;
        QVERIFY(model.start(std::make_unique<NumberedRows>(total, -1, &given), &error));
        const QString path = m_dir.filePath(QStringLiteral("list%1.csv").arg(total));
        QCOMPARE(saveModelCsv(model, {0, 1, 2}, path, {}, &error), qint64(total));
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(given, total);
        QCOMPARE(model.rowCount(), total);

        const QList<QStringList> rows = test::readCsvWithPython(path, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(rows.size(), total + 1);
        QCOMPARE(rows.first(), kHeadings);
        for (int row = 0; row < total; ++row) {
            const QStringList expected = {
                QString::number(row),
                QStringLiteral("1%1.50").arg(row % 1000, 3, 10, QLatin1Char('0')),
                row % 2 ? QStringLiteral("'=cmd") : QStringLiteral("a, b")};
            QCOMPARE(rows.at(row + 1), expected);
        }
    }

    void failuresLeaveNoFile()
    {
        int given = 0;
        LazyTableModel model(kHeadings);
        QString error;
        QVERIFY(model.start(std::make_unique<NumberedRows>(1000, 300, &given), &error));
        const QString path = m_dir.filePath(QStringLiteral("failed.csv"));
        QCOMPARE(saveModelCsv(model, {0, 1, 2}, path, {}, &error), qint64(-1));
        QCOMPARE(error, QStringLiteral("disk I/O error"));
        QVERIFY(!QFile::exists(path));

        const QString database = m_dir.filePath(QStringLiteral("taxi.mdb"));
        QFile file(database);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("db") == 2);
        file.close();
        QCOMPARE(saveModelCsv(model, {0}, database, {database, {}, true}, &error), qint64(-1));
        QVERIFY2(error.contains(QStringLiteral("database")), qPrintable(error));
        QCOMPARE(QFile(database).size(), qint64(2));
    }

    void popUpEntryWritesTheShownColumns()
    {
        int given = 0;
        QMainWindow window;
        auto* view = new QTableView;
        window.setCentralWidget(view);
        auto* model = new LazyTableModel(kHeadings, view);
        QString error;
        QVERIFY(model->start(std::make_unique<NumberedRows>(3, -1, &given), &error));
        view->setModel(model);
        view->setColumnHidden(1, true);
        ScriptedDialogs dialogs;
        const QString path = m_dir.filePath(QStringLiteral("shown.csv"));
        dialogs.files.enqueue(path);
        QMenu* menu = addCsvPopup(view, dialogs, QString());
        QAction* entry = menu->findChild<QAction*>(QStringLiteral("mnucsv"));
        QVERIFY(entry);
        QCOMPARE(entry->text(), QStringLiteral("&Save as CSV..."));
        entry->trigger();
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown.first().kind, ScriptedDialogs::Kind::SaveFile);
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("3 rows saved to shown.csv"));
        const QList<QStringList> rows = test::readCsvWithPython(path, &error);
        QCOMPARE(rows, (QList<QStringList>{
                           {"Job", "Note"}, {"0", "a, b"}, {"1", "'=cmd"}, {"2", "a, b"}}));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestCsvSave)
#include "test_csvsave.moc"
