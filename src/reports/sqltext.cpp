#include "sqltext.h"

namespace velmora::reports {

namespace {

bool isNameStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
bool isNamePart(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

// The index just past the quoted text or comment that starts at `at`, or -1 when none does.
qsizetype skipQuotedOrComment(const QString& sql, qsizetype at)
{
    const QChar c = sql.at(at);
    const QChar next = at + 1 < sql.size() ? sql.at(at + 1) : QChar();
    if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
        const qsizetype end = sql.indexOf(QLatin1Char('\n'), at);
        return end < 0 ? sql.size() : end;
    }
    if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
        const qsizetype end = sql.indexOf(QLatin1String("*/"), at + 2);
        return end < 0 ? sql.size() : end + 2;
    }
    QChar close;
    if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`'))
        close = c;
    else if (c == QLatin1Char('['))
        close = QLatin1Char(']');
    else
        return -1;
    for (qsizetype i = at + 1; i < sql.size(); ++i) {
        if (sql.at(i) != close)
            continue;
        // A doubled quote stands for the quote itself.
        if (close != QLatin1Char(']') && i + 1 < sql.size() && sql.at(i + 1) == close)
            ++i;
        else
            return i + 1;
    }
    return sql.size();
}

} // namespace

std::optional<BoundSql> bindReadOnly(const QString& sql, QString* reason)
{
    BoundSql bound;
    QString firstWord;
    bool ended = false; // past a ';'
    for (qsizetype i = 0; i < sql.size();) {
        const qsizetype skipped = skipQuotedOrComment(sql, i);
        const QChar c = sql.at(i);
        if (ended && skipped < 0 && !c.isSpace()) {
            *reason = QStringLiteral("the query holds more than one statement");
            return std::nullopt;
        }
        if (skipped >= 0) {
            bound.sql += QStringView(sql).mid(i, skipped - i);
            i = skipped;
        } else if (c == QLatin1Char(';')) {
            ended = true;
            ++i;
        } else if (c == QLatin1Char(':') && i + 1 < sql.size() && isNameStart(sql.at(i + 1))) {
            qsizetype end = i + 1;
            while (end < sql.size() && isNamePart(sql.at(end)))
                ++end;
            bound.parameters.append(sql.mid(i + 1, end - i - 1));
            bound.sql += QLatin1Char('?');
            i = end;
        } else if (firstWord.isEmpty() && isNameStart(c)) {
            qsizetype end = i;
            while (end < sql.size() && isNamePart(sql.at(end)))
                ++end;
            firstWord = sql.mid(i, end - i);
            bound.sql += firstWord;
            i = end;
        } else {
            bound.sql += c;
            ++i;
        }
    }
    static const QStringList readers = {QStringLiteral("select"), QStringLiteral("with"),
                                        QStringLiteral("values")};
    if (firstWord.isEmpty()) {
        *reason = QStringLiteral("the query is empty");
        return std::nullopt;
    }
    if (!readers.contains(firstWord, Qt::CaseInsensitive)) {
        *reason = QStringLiteral("a report may only read, with a SELECT query; this one "
                                 "starts with '%1'")
                      .arg(firstWord);
        return std::nullopt;
    }
    return bound;
}

} // namespace velmora::reports
