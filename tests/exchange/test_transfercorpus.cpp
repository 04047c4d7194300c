#include "transferfuzzing.h"

#include <QDir>
#include <QFile>
#include <QTest>

// Replays the awkward files kept for the fuzzing harness (short, cut, out-of-range and
// unprintable records) through the same readers and routines.
class TestTransferCorpus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void survivesEveryAwkwardFile()
    {
        const QDir corpus(QStringLiteral(VELMORA_TRANSFER_CORPUS));
        const QStringList files = corpus.entryList(QDir::Files);
        QVERIFY(files.size() >= 8);
        for (const QString& name : files) {
            QFile file(corpus.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            velmora::test::fuzzTransferInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                             std::size_t(bytes.size()));
        }
    }
};

QTEST_GUILESS_MAIN(TestTransferCorpus)
#include "test_transfercorpus.moc"
