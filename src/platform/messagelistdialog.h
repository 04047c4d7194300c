#pragma once

#include <QDialog>
#include <QStringList>

namespace velmora {

class Dialogs;

// A message heading a scrollable list of many messages (the rejected records of a
// transfer file, say), with a button that saves the heading and the list to a text file,
// and "Save as CSV..." on the list's pop-up menu.
class MessageListDialog final : public QDialog
{
    Q_OBJECT

public:
    // `database`: the open database's file, which the saved list may not replace.
    MessageListDialog(const QString& text, const QStringList& items, const QString& title,
                      const QString& database, Dialogs& dialogs, QWidget* parent = nullptr);

private:
    void save();

    QString m_text;
    QStringList m_items;
    QString m_database;
};

} // namespace velmora
