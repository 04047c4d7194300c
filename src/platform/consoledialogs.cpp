#include "consoledialogs.h"

#include "hiddentyping.h"

#include <QObject>

#include <cstdio>

namespace velmora {

ConsoleDialogs::ConsoleDialogs() : m_in(stdin), m_err(stderr) {}

void ConsoleDialogs::information(QWidget*, const QString& text, const QString& title)
{
    m_err << title << ": " << text << Qt::endl;
}

void ConsoleDialogs::exclamation(QWidget*, const QString& text, const QString& title)
{
    m_err << title << ": warning: " << text << Qt::endl;
}

void ConsoleDialogs::informationList(QWidget*, const QString& text, const QStringList& items,
                                     const QString& title)
{
    m_err << title << ": " << text << Qt::endl;
    for (const QString& item : items)
        m_err << item << Qt::endl;
}

void ConsoleDialogs::plain(QWidget*, const QString& text, const QString& title)
{
    m_err << title << ": " << text << Qt::endl;
}

std::optional<QString> ConsoleDialogs::readLine(const QString& prompt)
{
    m_err << prompt << ' ' << Qt::flush;
    QString line;
    if (!m_in.readLineInto(&line))
        return std::nullopt;
    return line;
}

Dialogs::Answer ConsoleDialogs::question(QWidget*, const QString& text, const QString& title,
                                         Buttons buttons)
{
    const bool okCancel = buttons == Buttons::OkCancel;
    const auto line = readLine(
        QStringLiteral("%1: %2 [%3]")
            .arg(title, text, okCancel ? QStringLiteral("ok/cancel") : QStringLiteral("y/n")));
    const QString answer = line.value_or(QString()).trimmed().toLower();
    if (okCancel)
        return answer == QLatin1String("ok") ? Answer::Ok : Answer::Cancel;
    if (answer.startsWith(QLatin1Char('y')))
        return Answer::Yes;
    if (buttons == Buttons::YesNoCancel && !answer.startsWith(QLatin1Char('n')))
        return Answer::Cancel;
    return Answer::No;
}

std::optional<QString> ConsoleDialogs::input(QWidget*, const QString& prompt, const QString& title,
                                             const QString& proposed)
{
    const auto line = readLine(QStringLiteral("%1: %2 [%3]").arg(title, prompt, proposed));
    if (!line)
        return std::nullopt;
    return line->isEmpty() ? proposed : *line;
}

std::optional<QString> ConsoleDialogs::password(QWidget*, const QString& prompt,
                                                const QString& title)
{
    HiddenTyping typing;
    if (!typing.atTerminal()) {
        m_err << title << ": " << prompt << ' '
              << QObject::tr("cannot be asked: standard input is not a terminal.") << Qt::endl;
        return std::nullopt;
    }
    const std::optional<QString> line = readLine(QStringLiteral("%1: %2").arg(title, prompt));
    m_err << Qt::endl;
    return line;
}

QString ConsoleDialogs::openFileName(QWidget* parent, const QString& title, const QString&,
                                     const QString& proposed)
{
    return input(parent, QStringLiteral("file to open"), title, proposed).value_or(QString());
}

QString ConsoleDialogs::saveFileName(QWidget* parent, const QString& title, const QString&,
                                     const QString&, const QString& proposed)
{
    return input(parent, QStringLiteral("file to write"), title, proposed).value_or(QString());
}

void ConsoleDialogs::setBusy(bool) {}

void ConsoleDialogs::beep() { m_err << '\a' << Qt::flush; }

} // namespace velmora
