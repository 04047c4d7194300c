#include "frmjobs_in_range.h"

#include "data/dates.h"
#include "platform/dialogs.h"
#include "platform/screenparts.h"
#include "platform/statusline.h"
#include "worklists.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>

namespace velmora {

namespace {

constexpr int kDateLength = 10;

} // namespace

frmjobs_in_range::frmjobs_in_range(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_db(std::move(db)), m_dialogs(dialogs),
      m_start(dateField(lineEdit("txtstart_date", tr("Enter date count to begin from")))),
      m_end(dateField(lineEdit("txtend_date", tr("Enter date count to end")))),
      m_jobs(lineEdit("txtjobs"))
{
    setObjectName(QStringLiteral("frmjobs_in_range"));
    setWindowTitle(tr("No Of Jobs Within A Date Range"));
    connect(addEntry(menuBar(), tr("&Select"), "mnuselect"), &QAction::triggered, this,
            &frmjobs_in_range::count);
    addExit(menuBar(), this);

    for (QLineEdit* field : {m_start, m_end}) {
        field->setMaxLength(kDateLength);
        field->setPlaceholderText(tr("dd/mm/yyyy"));
        connect(field, &QLineEdit::returnPressed, this, &frmjobs_in_range::count);
    }
    m_jobs->setReadOnly(true);
    auto* central = new QWidget;
    auto* grid = new QGridLayout(central);
    addCaptioned(grid, 0, tr("S&tart Date"), m_start);
    addCaptioned(grid, 1, tr("E&nd Date"), m_end);
    m_jobsCaption = addCaptioned(grid, 2, tr("Total Jobs In Above Period "), m_jobs);
    grid->setRowStretch(3, 1);
    m_jobsCaption->hide();
    m_jobs->hide();
    setCentralWidget(central);
    setTabOrder(m_start, m_end);
    m_start->setFocus();
    resize(380, 160);
}

void frmjobs_in_range::count()
{
    if (m_start->text().trimmed().isEmpty()) {
        tell(tr("A start date must be supplied "));
        m_start->setFocus();
        return;
    }
    if (m_end->text().trimmed().isEmpty()) {
        tell(tr("An end date must be supplied"));
        m_end->setFocus();
        return;
    }
    const auto first = dateIn(m_start);
    if (!first)
        return;
    const auto last = dateIn(m_end);
    if (!last)
        return;
    QString error;
    const auto any = anyJobs(m_db, &error);
    const auto jobs = any ? countJobs(m_db, *first, *last, &error) : std::nullopt;
    if (!jobs) {
        tell(error);
        return;
    }
    if (!*any) {
        tell(tr("No jobs in range specified"));
        m_start->setFocus();
    }
    m_jobs->setText(QString::number(*jobs));
    m_jobs->show();
    m_jobsCaption->show();
    showStatus(this, tr("%1 jobs from %2 to %3")
                         .arg(QLocale(QLocale::English, QLocale::UnitedKingdom).toString(*jobs),
                              ukDate(*first), ukDate(*last)));
}

std::optional<QDate> frmjobs_in_range::dateIn(QLineEdit* field)
{
    const auto date = parseUkDate(field->text());
    if (!date) {
        tell(tr("%1 is not a date; please type it as dd/mm/yyyy").arg(field->text().trimmed()));
        field->setFocus();
    }
    return date;
}

void frmjobs_in_range::tell(const QString& text) { m_dialogs.information(this, text); }

} // namespace velmora
