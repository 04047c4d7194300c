#include "qtdialogs.h"

#include "messagelistdialog.h"
#include "progresswindow.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>

namespace velmora {

namespace {

// Widens a short box so that its whole title shows in the title bar.
void fitTitle(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const QFontMetrics metrics(QApplication::font("QMdiSubWindowTitleBar"));
    // The title bar's buttons and icon take about this much beside the title.
    const int width = metrics.horizontalAdvance(box.windowTitle()) + 160;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

void show(QWidget* parent, QMessageBox::Icon icon, const QString& text, const QString& title)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    fitTitle(box);
    box.exec();
}

} // namespace

void QtDialogs::information(QWidget* parent, const QString& text, const QString& title)
{
    show(parent, QMessageBox::Information, text, title);
}

void QtDialogs::exclamation(QWidget* parent, const QString& text, const QString& title)
{
    show(parent, QMessageBox::Warning, text, title);
}

void QtDialogs::informationList(QWidget* parent, const QString& text, const QStringList& items,
                                const QString& title)
{
    MessageListDialog dialog(text, items, title, m_database, *this, parent);
    dialog.exec();
}

void QtDialogs::plain(QWidget* parent, const QString& text, const QString& title)
{
    show(parent, QMessageBox::NoIcon, text, title);
}

Dialogs::Answer QtDialogs::question(QWidget* parent, const QString& text, const QString& title,
                                    Buttons buttons)
{
    QMessageBox::StandardButtons shown = QMessageBox::Yes | QMessageBox::No;
    if (buttons == Buttons::YesNoCancel)
        shown |= QMessageBox::Cancel;
    else if (buttons == Buttons::OkCancel)
        shown = QMessageBox::Ok | QMessageBox::Cancel;
    QMessageBox box(QMessageBox::Question, title, text, shown, parent);
    if (buttons == Buttons::YesNoDefaultNo)
        box.setDefaultButton(QMessageBox::No);
    fitTitle(box);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::No:
        return Answer::No;
    default:
        return buttons == Buttons::YesNoCancel || buttons == Buttons::OkCancel ? Answer::Cancel
                                                                               : Answer::No;
    }
}

std::optional<QString> QtDialogs::input(QWidget* parent, const QString& prompt,
                                        const QString& title, const QString& proposed)
{
    bool accepted = false;
    const QString text =
        QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, proposed, &accepted);
    if (!accepted)
        return std::nullopt;
    return text;
}

std::optional<QString> QtDialogs::password(QWidget* parent, const QString& prompt,
                                           const QString& title)
{
    bool accepted = false;
    const QString text =
        QInputDialog::getText(parent, title, prompt, QLineEdit::Password, {}, &accepted);
    if (!accepted)
        return std::nullopt;
    return text;
}

QString QtDialogs::openFileName(QWidget* parent, const QString& title, const QString& filter,
                                const QString& proposed)
{
    return QFileDialog::getOpenFileName(parent, title, proposed, filter);
}

QString QtDialogs::saveFileName(QWidget* parent, const QString& title, const QString& filter,
                                const QString& defaultSuffix, const QString& proposed)
{
    QFileDialog dialog(parent, title, proposed, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

std::unique_ptr<WorkProgress> QtDialogs::progress(QWidget* parent, const QString& title,
                                                  const QString& heading)
{
    return std::make_unique<ProgressWindow>(parent, title, heading);
}

void QtDialogs::setBusy(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtDialogs::beep() { QApplication::beep(); }

} // namespace velmora
