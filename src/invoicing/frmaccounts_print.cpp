#include "frmaccounts_print.h"

#include "data/dates.h"
#include "data/dialect.h"
#include "data/fault.h"
#include "data/readonly.h"
#include "data/sql.h"
#include "mailscreen.h"
#include "platform/dialogs.h"
#include "platform/fieldevents.h"
#include "platform/reportengine.h"
#include "platform/screenparts.h"
#include "platform/statusline.h"
#include "statementmail.h"
#include "statements.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>

namespace velmora {

namespace {

constexpr int kNameLength = 40;
constexpr int kDateLength = 10;

} // namespace

frmaccounts_print::frmaccounts_print(QSqlDatabase db, Dialogs& dialogs, ReportEngine& reports,
                                     KeyStore& keys, QWidget* parent)
    : OpeningScreen(parent), m_db(std::move(db)), m_dialogs(dialogs), m_reports(reports),
      m_keys(keys), m_events(new FieldEvents(this)), m_start(dropDown("txtstart_account")),
      m_end(dropDown("txtend_account")), m_since(dateField(lineEdit("txtstart_date"))),
      m_load(lineEdit("frmload"))
{
    setObjectName(QStringLiteral("frmaccounts_print"));
    setWindowTitle(tr("Accounts Print Parameters"));
    addExit(menuBar(), this);
    m_load->hide();
    m_start->lineEdit()->setMaxLength(kNameLength);
    m_end->lineEdit()->setMaxLength(kNameLength);
    m_since->setMaxLength(kDateLength);
    m_since->setPlaceholderText(tr("dd/mm/yyyy"));

    auto* central = new QWidget;
    auto* grid = new QGridLayout(central);
    addCaptioned(grid, 0, tr("&Start Account"), m_start);
    addCaptioned(grid, 1, tr("E&nd Account"), m_end);
    addCaptioned(grid, 2, tr("Start &Date"), m_since);
    auto* go = named(new QPushButton(tr("Go")), "cmdcreate_account");
    go->setDefault(true);
    auto* email = named(new QPushButton(tr("E-&mail Statements")), "cmdemail",
                        tr("E-mail each account's statement to its address"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(go);
    buttons->addWidget(email);
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->addWidget(m_load, 4, 0);
    grid->setRowStretch(5, 1);
    setCentralWidget(central);
    setTabOrder(m_start, m_end);
    setTabOrder(m_end, m_since);
    setTabOrder(m_since, go);
    setTabOrder(go, email);
    connect(go, &QPushButton::clicked, this, &frmaccounts_print::go);
    connect(email, &QPushButton::clicked, this, &frmaccounts_print::email);

    for (QComboBox* list : {m_start, m_end}) {
        connect(list, &QComboBox::activated, this, [this, list] { lookUp(list); });
        m_events->onLeave(list, [this, list] {
            if (!list->currentText().isEmpty())
                lookUp(list);
        });
    }
    resize(460, 200);
}

void frmaccounts_print::opening()
{
    QSqlQuery query(m_db);
    QString error;
    if (!run(query,
             QStringLiteral("select account_name from accounts order by %1")
                 .arg(caseBlindOrder(engineOf(m_db), QStringLiteral("account_name"))),
             {}, &error)) {
        tell(error);
        m_load->setText(QStringLiteral("F"));
        return;
    }
    QStringList names;
    while (query.next())
        names.append(query.value(0).toString());
    if (query.lastError().isValid()) {
        tell(queryFault(query));
        m_load->setText(QStringLiteral("F"));
        return;
    }
    if (names.isEmpty()) {
        tell(tr("You must input accounts before running this "));
        m_load->setText(QStringLiteral("F"));
        return;
    }
    for (QComboBox* list : {m_start, m_end}) {
        list->addItems(names);
        list->setCurrentIndex(-1);
    }
    m_start->setFocus();
}

std::optional<qint64> frmaccounts_print::lookUp(QComboBox* list)
{
    QSqlQuery query(m_db);
    QString error;
    if (!run(query,
             QStringLiteral("select account_id from accounts where account_name = ? "
                            "order by account_name, account_id limit 1"),
             {list->currentText()}, &error)) {
        tell(error);
        return std::nullopt;
    }
    if (!query.next()) {
        tell(tr("Account Not Found "));
        m_events->returnFocus(list);
        return std::nullopt;
    }
    return query.value(0).toLongLong();
}

std::optional<StatementRange> frmaccounts_print::chosen()
{
    if (m_since->text().trimmed().isEmpty()) {
        tell(tr("A start date must be supplied "));
        m_events->returnFocus(m_since);
        return std::nullopt;
    }
    if (m_start->currentText().isEmpty()) {
        tell(tr("A start account must be supplied "));
        m_events->returnFocus(m_start);
        return std::nullopt;
    }
    if (m_end->currentText().isEmpty()) {
        tell(tr("A end account must be supplied "));
        m_events->returnFocus(m_end);
        return std::nullopt;
    }
    const auto since = parseUkDate(m_since->text());
    if (!since) {
        tell(tr("The start date must be a date, such as %1").arg(ukDate(QDate::currentDate())));
        m_events->returnFocus(m_since);
        return std::nullopt;
    }
    if (!lookUp(m_start) || !lookUp(m_end))
        return std::nullopt;
    return StatementRange{m_start->currentText(), m_end->currentText(), *since};
}

void frmaccounts_print::go()
{
    const auto range = chosen();
    if (!range)
        return;
    BusyPointer busy(m_dialogs);
    QString error;
    const auto accounts = buildStatements(m_db, *range, &error);
    if (!accounts) {
        tell(tr("The statements could not be prepared: %1").arg(error));
        return;
    }
    if (printReport(m_reports, m_dialogs, this, QStringLiteral("accounts.rpt"),
                    ReportEngine::Printer))
        showStatus(
            this, tr("Statements printed for %n account(s)", nullptr, static_cast<int>(*accounts)));
}

void frmaccounts_print::email()
{
    const auto range = chosen();
    if (!range)
        return;
    const auto result = sendFromScreen(
        this, m_db, m_dialogs, m_keys, tr("E-mail Statements"), tr("Sending the statements"),
        [this, &range](const MailSettings& settings, MailTransport& transport,
                       WorkProgress& progress, QString* error) {
            return emailStatements(m_db, *range, settings, transport, progress, error);
        });
    if (result)
        tellMailRun(this, m_dialogs, *result);
}

void frmaccounts_print::tell(const QString& text) { m_dialogs.information(this, text); }

} // namespace velmora
