#include "messagelistdialog.h"

#include "csvsave.h"
#include "data/outputfile.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace velmora {

MessageListDialog::MessageListDialog(const QString& text, const QStringList& items,
                                     const QString& title, const QString& database,
                                     Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_text(text), m_items(items), m_database(database)
{
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(text);
    heading->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(heading);

    auto* messages = new QStandardItemModel(0, 1, this);
    messages->setHorizontalHeaderLabels({tr("Message")});
    for (const QString& item : items)
        messages->appendRow(
            new QStandardItem(item.trimmed().replace(QLatin1String("\r\n"), QLatin1String("\n"))));
    auto* list = new QListView;
    list->setObjectName(QStringLiteral("lstmessages"));
    list->setAlternatingRowColors(true);
    list->setUniformItemSizes(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setModel(messages);
    addCsvPopup(list, dialogs, database);
    layout->addWidget(list, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QPushButton* save = buttons->addButton(tr("&Save List..."), QDialogButtonBox::ActionRole);
    connect(save, &QPushButton::clicked, this, &MessageListDialog::save);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    buttons->button(QDialogButtonBox::Ok)->setFocus();
    resize(640, 420);
}

void MessageListDialog::save()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Save the list"), QString(),
                                                      tr("Text Files (*.txt)"));
    if (path.isEmpty())
        return;
    // The save dialog asked before an existing file is replaced.
    OutputFile file(path, {m_database, {}, true});
    QString error;
    if (file.open(&error)) {
        file.file().write(m_text.toUtf8());
        for (const QString& item : m_items)
            file.file().write(item.toUtf8());
    }
    if (!error.isEmpty() || !file.commit(&error))
        QMessageBox::information(this, windowTitle(),
                                 tr("The list could not be saved: %1").arg(error));
}

} // namespace velmora
