#include "frmsecurity.h"

#include "data/operators.h"
#include "platform/dialogs.h"
#include "platform/fieldevents.h"
#include "platform/fieldsnapshot.h"
#include "platform/screenparts.h"
#include "platform/statusline.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMenuBar>

namespace velmora {

frmsecurity::frmsecurity(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_db(std::move(db)), m_dialogs(dialogs), m_events(new FieldEvents(this)),
      m_userName(fitColumn(lineEdit("txtuser_name"), u"passwords", u"user_name")),
      m_password(lineEdit("txtpassword")),
      m_level(fitColumn(dropDown("txtlevel"), u"passwords", u"security_level")), m_shown(this)
{
    setObjectName(QStringLiteral("frmsecurity"));
    setWindowTitle(tr("Maintain Users"));

    connect(addEntry(menuBar(), tr("&Save"), "mnusave"), &QAction::triggered, this,
            &frmsecurity::save);
    addExit(menuBar(), this);

    m_password->setMaxLength(kPasswordMaxLength);
    m_level->addItems({tr("Data Input"), tr("Administrator"), tr("Boss")});
    m_level->setCurrentIndex(-1);

    auto* central = new QWidget;
    auto* form = new QFormLayout(central);
    form->addRow(tr("&User Name"), m_userName);
    form->addRow(tr("&Password"), m_password);
    form->addRow(tr("Security &Level"), m_level);
    setCentralWidget(central);
    setTabOrder(m_userName, m_password);
    setTabOrder(m_password, m_level);
    resize(360, 160);

    m_events->onLeave(m_userName, [this] { userNameLeft(); });
    m_events->onLeave(m_password, [this] {
        present(m_password, m_password->text(), tr("You must supply a password"));
    });
    m_events->onLeave(m_level, [this] {
        present(m_level, m_level->currentText(), tr("You must supply an access level"));
    });
    m_userName->setFocus();
    m_shown.take();
}

void frmsecurity::closeEvent(QCloseEvent* event)
{
    if (!mayLeave(m_dialogs, this, m_shown.differs(),
                  tr("Save the user %1?").arg(m_userName->text()), [this] { return save(); })) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void frmsecurity::userNameLeft()
{
    if (!present(m_userName, m_userName->text(), tr("You must supply a user name")))
        return;
    QString error;
    const auto found = findOperator(m_db, m_userName->text(), &error);
    if (!error.isEmpty()) {
        m_dialogs.information(this, error);
        return;
    }
    m_password->clear();
    if (found) {
        m_level->setEditText(found->securityLevel);
        m_shown.take();
    } else
        m_dialogs.information(this, tr("New user"));
    m_events->returnFocus(m_password);
}

bool frmsecurity::present(QWidget* field, const QString& text, const QString& message)
{
    if (!text.isEmpty())
        return true;
    m_dialogs.information(this, message);
    m_events->returnFocus(field);
    return false;
}

bool frmsecurity::save()
{
    if (!present(m_userName, m_userName->text(), tr("You must supply a user name")) ||
        !present(m_password, m_password->text(), tr("You must supply a password")) ||
        !present(m_level, m_level->currentText(), tr("You must supply an access level")))
        return false;
    if (const QString problem = passwordProblem(m_password->text()); !problem.isEmpty()) {
        m_dialogs.information(this, problem);
        m_events->returnFocus(m_password);
        return false;
    }
    QString error;
    if (!saveOperator(m_db, m_userName->text(), m_password->text(), m_level->currentText(),
                      &error)) {
        m_dialogs.information(this, error);
        return false;
    }
    showStatus(this, tr("User %1 saved").arg(m_userName->text()));
    m_userName->clear();
    m_password->clear();
    m_level->setCurrentIndex(-1);
    m_level->clearEditText();
    m_events->returnFocus(m_userName);
    m_shown.take();
    return true;
}

} // namespace velmora
