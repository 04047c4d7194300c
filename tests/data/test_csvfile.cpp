// CSV fields as a spreadsheet must read them: quoting, formula-like cells kept from
// running, amounts plain, and a file that Python's csv module reads back cell for cell.

#include "csvread.h"
#include "data/csvfile.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

class CsvFileTest : public QObject
{
    Q_OBJECT

private slots:
    void fields_data();
    void fields();
    void shownAmounts_data();
    void shownAmounts();
    void pythonReadsBackEveryCell();
    void failedWriteIsReported();
};

void CsvFileTest::fields_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("plain") << "Smith" << QByteArray("Smith");
    QTest::newRow("empty") << "" << QByteArray("");
    QTest::newRow("comma") << "Smith, J" << QByteArray("\"Smith, J\"");
    QTest::newRow("quote") << "6\" tall" << QByteArray("\"6\"\" tall\"");
    QTest::newRow("new line") << "a\nb" << QByteArray("\"a\nb\"");
    QTest::newRow("carriage return") << "a\r\nb" << QByteArray("\"a\r\nb\"");
    QTest::newRow("leading space") << " x" << QByteArray("\" x\"");
    QTest::newRow("trailing space") << "x " << QByteArray("\"x \"");
    QTest::newRow("formula") << "=SUM(A1:A9)" << QByteArray("'=SUM(A1:A9)");
    QTest::newRow("formula with comma") << "=A1,B1" << QByteArray("\"'=A1,B1\"");
    QTest::newRow("plus") << "+44 1632 960000" << QByteArray("'+44 1632 960000");
    QTest::newRow("minus text") << "-x" << QByteArray("'-x");
    QTest::newRow("at") << "@cmd" << QByteArray("'@cmd");
    QTest::newRow("tab") << "\tx" << QByteArray("'\tx");
    QTest::newRow("negative amount") << "-12.50" << QByteArray("-12.50");
    QTest::newRow("negative whole") << "-3" << QByteArray("-3");
    QTest::newRow("accents") << "Müller" << QByteArray("M\xc3\xbcller");
}

void CsvFileTest::fields()
{
    QFETCH(QString, cell);
    QFETCH(QByteArray, field);
    QCOMPARE(csvField(cell), field);
    // The same cell handed over as the UTF-8 bytes a list keeps.
    QByteArray fromBytes = "x,";
    appendCsvField(&fromBytes, QByteArrayView(cell.toUtf8()));
    QCOMPARE(fromBytes, "x," + field);
}

void CsvFileTest::shownAmounts_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("written");
    QTest::newRow("thousands") << "1,234.50"
                               << "1234.50";
    QTest::newRow("millions") << "-12,345,678.00"
                              << "-12345678.00";
    QTest::newRow("small") << "12.50"
                           << "12.50";
    QTest::newRow("not grouped in threes") << "1,23.50"
                                           << "1,23.50";
    QTest::newRow("text with comma") << "Smith, J"
                                     << "Smith, J";
    QTest::newRow("address number") << "1,234 High St"
                                    << "1,234 High St";
    QTest::newRow("one decimal") << "1,234.5"
                                 << "1,234.5";
    QTest::newRow("three decimals") << "1,234.505"
                                    << "1,234.505";
    QTest::newRow("four leading digits") << "1234,567.00"
                                         << "1234,567.00";
    QTest::newRow("a bare minus") << "-,123.00"
                                  << "-,123.00";
}

void CsvFileTest::shownAmounts()
{
    QFETCH(QString, shown);
    QFETCH(QString, written);
    QCOMPARE(plainShownAmount(shown), written);
    QCOMPARE(isShownAmount(shown.toUtf8()), shown != written);
}

void CsvFileTest::pythonReadsBackEveryCell()
{
    const QList<QStringList> rows = {
        {"Name", "Note", "Amount", "Date"},
        {"Smith, J", "said \"hello\"", "1234.50", "09/12/2026"},
        {"Line\nbreak", "=HYPERLINK(\"x\")", "-7.25", "31/01/2026"},
        {"Müller", "", "0.00", ""},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rows.csv"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    CsvWriter writer(file);
    for (const QStringList& row : rows)
        QVERIFY(writer.writeRow(row));
    file.close();

    QString error;
    const QList<QStringList> read = test::readCsvWithPython(path, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QList<QStringList> expected = rows;
    expected[2][1] = QStringLiteral("'=HYPERLINK(\"x\")");
    QCOMPARE(read, expected);
}

void CsvFileTest::failedWriteIsReported()
{
    QBuffer closed;
    CsvWriter writer(closed);
    QVERIFY(!writer.writeRow({QStringLiteral("x")}));
}

QTEST_GUILESS_MAIN(CsvFileTest)
#include "test_csvfile.moc"
