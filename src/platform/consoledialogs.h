#pragma once

#include "dialogs.h"

#include <QTextStream>

namespace velmora {

// Dialogs for the command line: messages go to standard error, questions and inputs
// are read from standard input (end of input answers No / cancels).
class ConsoleDialogs final : public Dialogs
{
public:
    ConsoleDialogs();

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
    void setBusy(bool busy) override;
    void beep() override;

private:
    std::optional<QString> readLine(const QString& prompt);

    QTextStream m_in;
    QTextStream m_err;
};

} // namespace velmora
