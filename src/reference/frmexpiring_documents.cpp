#include "frmexpiring_documents.h"

#include "data/dates.h"
#include "data/expiry.h"
#include "platform/csvsave.h"
#include "platform/dialogs.h"
#include "platform/lazyrows.h"
#include "platform/screenparts.h"
#include "platform/statusline.h"

#include <QAction>
#include <QColor>
#include <QHeaderView>
#include <QMenuBar>
#include <QTableView>

namespace velmora {

namespace {

enum Column { Expires, Status, Kind, Name, Document, Owner, Key, Urgency, ColumnCount };

// Rows already read, handed to the grid a batch at a time.
class ListedRows final : public RowSource
{
public:
    explicit ListedRows(QList<QStringList> rows) : m_rows(std::move(rows)) {}
    bool read(int count, QList<QStringList>* rows, QString*) override
    {
        for (; count > 0 && m_next < m_rows.size(); --count)
            rows->append(m_rows.at(m_next++));
        return true;
    }
    bool atEnd() const override { return m_next >= m_rows.size(); }

private:
    QList<QStringList> m_rows;
    qsizetype m_next = 0;
};

QColor urgencyColour(int urgency)
{
    switch (static_cast<ExpiryUrgency>(urgency)) {
    case ExpiryUrgency::Expired:
        return {255, 190, 190};
    case ExpiryUrgency::Week:
        return {255, 215, 160};
    case ExpiryUrgency::Fortnight:
        return {255, 245, 170};
    case ExpiryUrgency::Horizon:
        break;
    }
    return {215, 235, 255};
}

} // namespace

// The documents' grid, each row in the colour of its urgency.
class ExpiryModel final : public LazyTableModel
{
public:
    using LazyTableModel::LazyTableModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::BackgroundRole && index.isValid())
            return urgencyColour(text(index.row(), Urgency).toInt());
        return LazyTableModel::data(index, role);
    }
};

frmexpiring_documents::frmexpiring_documents(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : OpeningScreen(parent), m_db(std::move(db)), m_dialogs(dialogs),
      m_model(new ExpiryModel({tr("Expires"),
                               tr("Status"),
                               tr("Kind"),
                               tr("Vehicle / Driver"),
                               tr("Document"),
                               {},
                               {},
                               {}},
                              this)),
      m_grid(named(new QTableView, "grdexpiring"))
{
    setObjectName(QStringLiteral("frmexpiring_documents"));
    setWindowTitle(tr("Expiring Documents"));
    connect(addEntry(menuBar(), tr("&Refresh"), "mnuref"), &QAction::triggered, this,
            &frmexpiring_documents::refresh);
    addExit(menuBar(), this);
    readOnlyGrid(m_grid, m_model);
    addCsvPopup(m_grid, m_dialogs, m_db.databaseName());
    for (int column : {Owner, Key, Urgency})
        m_grid->setColumnHidden(column, true);
    m_grid->setColumnWidth(Name, 220);
    m_grid->setColumnWidth(Document, 140);
    m_grid->setToolTip(tr("Double-click a row, or press Enter, to open its vehicle or driver"));
    connect(m_grid, &QAbstractItemView::activated, this, &frmexpiring_documents::pick);
    setCentralWidget(m_grid);
    resize(720, 420);
}

bool frmexpiring_documents::refresh()
{
    QString error;
    const auto horizon = expiryHorizon(m_db, &error);
    const auto documents =
        horizon ? expiringDocuments(m_db, QDate::currentDate(), *horizon, &error) : std::nullopt;
    if (!documents) {
        m_dialogs.information(this, error);
        return false;
    }
    QList<QStringList> rows;
    for (const ExpiringDocument& document : *documents) {
        const bool vehicle = document.owner == ExpiringDocument::Owner::Vehicle;
        rows.append({ukDate(document.expires), urgencyText(document.urgency, *horizon),
                     vehicle ? tr("Vehicle") : tr("Driver"), document.name, document.document,
                     vehicle ? QStringLiteral("V") : QStringLiteral("D"), document.key,
                     QString::number(static_cast<int>(document.urgency))});
    }
    if (!m_model->start(std::make_unique<ListedRows>(std::move(rows)), &error)) {
        m_dialogs.information(this, error);
        return false;
    }
    showStatus(this,
               tr("%n document(s) expired or due within %1 days", nullptr, int(documents->size()))
                   .arg(*horizon));
    if (m_model->rowCount() > 0)
        m_grid->setCurrentIndex(m_model->index(0, Expires));
    m_grid->setFocus();
    return true;
}

void frmexpiring_documents::pick(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    const QString key = m_model->text(index.row(), Key);
    if (m_model->text(index.row(), Owner) == QLatin1String("V"))
        Q_EMIT vehicleChosen(key);
    else
        Q_EMIT driverChosen(key.toLongLong());
}

} // namespace velmora
