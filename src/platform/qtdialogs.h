#pragma once

#include "dialogs.h"

#include <utility>

namespace velmora {

// Dialogs as real modal windows of the desktop program.
class QtDialogs final : public Dialogs
{
public:
    // `database`: the open database's file, which no list the operator saves may replace.
    explicit QtDialogs(QString database = {}) : m_database(std::move(database)) {}

    void information(QWidget* parent, const QString& text, const QString& title) override;
    void exclamation(QWidget* parent, const QString& text, const QString& title) override;
    void informationList(QWidget* parent, const QString& text, const QStringList& items,
                         const QString& title) override;
    void plain(QWidget* parent, const QString& text, const QString& title) override;
    Answer question(QWidget* parent, const QString& text, const QString& title,
                    Buttons buttons) override;
    std::optional<QString> input(QWidget* parent, const QString& prompt, const QString& title,
                                 const QString& proposed) override;
    std::optional<QString> password(QWidget* parent, const QString& prompt,
                                    const QString& title) override;
    QString openFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& proposed) override;
    QString saveFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& defaultSuffix, const QString& proposed) override;
    std::unique_ptr<WorkProgress> progress(QWidget* parent, const QString& title,
                                           const QString& heading) override;
    void setBusy(bool busy) override;
    void beep() override;

private:
    QString m_database;
};

} // namespace velmora
