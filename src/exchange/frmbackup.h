#pragma once

#include <QMainWindow>
#include <QSqlDatabase>

class QLabel;
class QLineEdit;

namespace velmora {

class Dialogs;

namespace exchange {
struct RemovalCounts;
}

// "Backup / Archive Functions": removes every invoice numbered below the one typed, with
// its lines, the jobs on them and their cost lines, after the operator has confirmed the
// counts and a copy of the database has been saved beside it; then shows what went.
class frmbackup final : public QMainWindow
{
    Q_OBJECT

public:
    frmbackup(QSqlDatabase db, Dialogs& dialogs, QWidget* parent = nullptr);

Q_SIGNALS:
    // Old invoices were removed with their jobs, so the board of current jobs is out of
    // date.
    void jobsChanged();

private:
    void remove();
    // Whether the operator agrees to remove `counts` below `firstKept`.
    bool confirmed(qint64 firstKept, const exchange::RemovalCounts& counts);
    void showCounts(const exchange::RemovalCounts& counts, const QString& copy);
    void refuse(const QString& text);

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    QLineEdit* m_invoice;
    QLineEdit* m_jobs;
    QLineEdit* m_costs;
    QLineEdit* m_headers;
    QLineEdit* m_lines;
    QLabel* m_copy;
    QList<QWidget*> m_results; // the count boxes and their captions, hidden until a run
};

} // namespace velmora
