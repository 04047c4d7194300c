#include "frmabout.h"

#include "platform/dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

frmAbout::frmAbout(Dialogs& dialogs, QString systemInfo, QWidget* parent)
    : QDialog(parent), m_dialogs(dialogs), m_systemInfo(std::move(systemInfo))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(tr("About Velmora"));

    auto* title = new QLabel(tr("Application Title Velmora"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    auto* version = new QLabel(tr("Release 1.0"), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto* description =
        new QLabel(tr("Bookings, dispatch, invoicing and driver pay for private-hire car, taxi and "
                      "courier firms."),
                   this);
    description->setObjectName(QStringLiteral("lblDescription"));
    description->setWordWrap(true);
    auto* warning = new QLabel(
        tr("Warning: this program is protected by copyright law. Unauthorised copying or "
           "distribution of it, or of any part of it, is prohibited."),
        this);
    warning->setObjectName(QStringLiteral("lblDisclaimer"));
    warning->setWordWrap(true);

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* sysInfo = new QPushButton(tr("&System Info..."), this);
    sysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(sysInfo, &QPushButton::clicked, this, &frmAbout::showSystemInfo);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(sysInfo);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addWidget(description);
    layout->addSpacing(12);
    layout->addWidget(warning);
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

void frmAbout::showSystemInfo()
{
    m_dialogs.information(this, m_systemInfo, tr("System Information"));
}

} // namespace velmora
