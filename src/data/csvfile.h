#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace velmora {

// One field of a CSV file (RFC 4180) in UTF-8: quoted when it holds a comma, a quote, a
// line break or leading or trailing spaces, quotes doubled. A field a spreadsheet would
// run as a formula (beginning with =, +, -, @, a tab or a carriage return) is written
// with an apostrophe before it, unless it is a plain number such as -12.50.
QByteArray csvField(QStringView text);
// The same appended to *line; also for a text given as its UTF-8 bytes.
void appendCsvField(QByteArray* line, QStringView text);
void appendCsvField(QByteArray* line, QByteArrayView utf8);

// An amount as the program shows it (1,234.50 or -1,234.50) written plain (1234.50) so
// that a spreadsheet reads it as a number; any other text unchanged.
QString plainShownAmount(QString text);
// Whether the UTF-8 text is such an amount, with its commas.
bool isShownAmount(QByteArrayView utf8);

// Writes CSV rows to a device: UTF-8 with a byte order mark (so that spreadsheets read
// the accents), fields separated by commas, rows ended by CR LF.
class CsvWriter
{
public:
    explicit CsvWriter(QIODevice& out) : m_out(out) {}
    // False when the device refused the write (a full disk); the device says why.
    bool writeRow(const QStringList& cells);
    // The same a field at a time: the row's next field, then its end, which writes it.
    void addField(QStringView text);
    void addField(QByteArrayView utf8);
    bool endRow();

private:
    // Begins a field: the byte order mark before the first, a comma between fields.
    void separate();

    QIODevice& m_out;
    bool m_started = false;
    int m_fields = 0; // of the row begun
    QByteArray m_line;
};

} // namespace velmora
