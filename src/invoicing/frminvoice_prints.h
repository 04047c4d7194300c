#pragma once

#include "platform/openingscreen.h"

#include <QMainWindow>
#include <QSqlDatabase>

class QLineEdit;

namespace velmora {

class Dialogs;

// "Set Invoice Print Parameters": how many copies of the invoices and of the job (work)
// sheets each print run makes, and the number the next invoice run starts at (which may
// be set while no invoice exists, or above the highest issued). "&Save" stores them and
// keeps the screen open.
class frminvoice_prints final : public OpeningScreen<QMainWindow>
{
    Q_OBJECT

public:
    frminvoice_prints(QSqlDatabase db, Dialogs& dialogs, QWidget* parent = nullptr);

private:
    void opening() override;
    void save();

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    QLineEdit* m_invoices;
    QLineEdit* m_jobSheets;
    QLineEdit* m_nextInvoice;
    QString m_shownNext; // the next number as shown at opening or after a save
};

} // namespace velmora
