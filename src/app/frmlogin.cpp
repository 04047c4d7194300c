#include "frmlogin.h"

#include "data/audit.h"
#include "data/operators.h"
#include "helpsections.h"
#include "platform/dialogs.h"
#include "platform/helpwindow.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace velmora {

frmLogin::frmLogin(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_db(std::move(db)), m_dialogs(dialogs), m_userName(new QLineEdit(this)),
      m_password(new QLineEdit(this)), m_level(new QLineEdit(this))
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(tr("Login"));

    m_userName->setObjectName(QStringLiteral("txtUserName"));
    m_userName->setToolTip(tr("Enter Username"));
    m_password->setObjectName(QStringLiteral("txtPassword"));
    m_password->setToolTip(tr("Enter Password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setMaxLength(kPasswordMaxLength);
    m_password->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    m_level->setObjectName(QStringLiteral("slevel"));
    m_level->hide();
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            [this] { openHelp(m_help, this, helpSectionOf(this)); });

    auto* userLabel = new QLabel(tr("&User Name:"), this);
    userLabel->setBuddy(m_userName);
    auto* passwordLabel = new QLabel(tr("&Password:"), this);
    passwordLabel->setBuddy(m_password);

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setToolTip(tr("Press To Enter System"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    cancel->setToolTip(tr("Press To Cancel Logon"));
    connect(ok, &QPushButton::clicked, this, &frmLogin::login);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* fields = new QFormLayout;
    fields->addRow(userLabel, m_userName);
    fields->addRow(passwordLabel, m_password);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(ok, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel, QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(buttons);
    setTabOrder(m_userName, m_password);
    setTabOrder(m_password, ok);
    setTabOrder(ok, cancel);
    setMinimumWidth(340);
}

QString frmLogin::securityLevel() const { return m_level->text(); }

void frmLogin::login()
{
    if (m_userName->text().isEmpty()) {
        m_dialogs.information(this, tr("You must supply a username"));
        m_userName->setFocus();
        return;
    }
    const LoginCheck check = checkLogin(m_db, m_userName->text(), m_password->text());
    if (check.result == LoginCheck::Result::Error) {
        m_dialogs.information(this, check.error);
        return;
    }
    if (check.result == LoginCheck::Result::Refused) {
        m_dialogs.information(this, tr("Login Failed, try again!"));
        m_password->setFocus();
        m_password->selectAll();
        return;
    }
    QString error;
    if (!setAuditOperator(m_db, m_userName->text(), &error)) {
        m_dialogs.information(this, error);
        return;
    }
    m_level->setText(check.securityLevel);
    accept();
}

} // namespace velmora
