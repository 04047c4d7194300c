#pragma once

#include <QDialog>
#include <QStringList>

namespace velmora {

// A message heading a scrollable list of many messages (the rejected records of a
// transfer file, say), with a button that saves the heading and the list to a text file.
class MessageListDialog final : public QDialog
{
    Q_OBJECT

public:
    MessageListDialog(const QString& text, const QStringList& items, const QString& title,
                      QWidget* parent = nullptr);

private:
    void save();

    QString m_text;
    QStringList m_items;
};

} // namespace velmora
