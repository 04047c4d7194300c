#include "frmsplash.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

namespace {

QLabel* addLabel(QVBoxLayout* layout, QWidget* parent, const char* name, const QString& text,
                 qreal scale = 1.0, bool bold = false)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    font.setBold(bold);
    label->setFont(font);
    layout->addWidget(label);
    return label;
}

} // namespace

frmSplash::frmSplash(QWidget* parent) : QDialog(parent, Qt::SplashScreen)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Velmora"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(36, 28, 36, 24);
    addLabel(layout, this, "lblProductName", QStringLiteral("Velmora"), 3.0, true);
    addLabel(layout, this, "lblVersion", tr("Release 1.0"), 1.2);
    addLabel(layout, this, "lblPlatform", tr("Windows 95 / 98 / NT"));
    addLabel(layout, this, "lblPlatformDetail", QString());
    layout->addSpacing(16);
    addLabel(layout, this, "lblDistributor", tr("Distributed to private-hire and courier firms"));
    addLabel(layout, this, "lblOwnership", tr("Copyright © the Velmora developers"));

    auto* enter = new QPushButton(tr("&Enter"), this);
    enter->setObjectName(QStringLiteral("Command1"));
    enter->setDefault(true);
    connect(enter, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(enter, 0, Qt::AlignCenter);
}

void frmSplash::keyPressEvent(QKeyEvent*) { accept(); }

void frmSplash::mousePressEvent(QMouseEvent*) { accept(); }

} // namespace velmora
