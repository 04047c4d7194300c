#include "renderer.h"

#include "data/dates.h"
#include "data/money.h"
#include "data/sql.h"
#include "sqltext.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <kainjow/mustache.hpp>

namespace velmora::reports {

namespace {

namespace mu = kainjow::mustache;

std::string utf8(const QString& text) { return text.toStdString(); }

// Holds the connection read-only (PRAGMA query_only) for its lifetime, so that no report
// query can change the database whatever it says.
class ReadOnlyConnection
{
public:
    explicit ReadOnlyConnection(const QSqlDatabase& db) : m_db(db)
    {
        QSqlQuery query(m_db);
        m_wasReadOnly = run(query, QStringLiteral("PRAGMA query_only"), {}, &m_error) &&
                        query.next() && query.value(0).toBool();
        m_active = run(query, QStringLiteral("PRAGMA query_only = 1"), {}, &m_error);
    }
    ~ReadOnlyConnection()
    {
        QSqlQuery query(m_db);
        if (m_active && !m_wasReadOnly)
            run(query, QStringLiteral("PRAGMA query_only = 0"));
    }
    ReadOnlyConnection(const ReadOnlyConnection&) = delete;
    ReadOnlyConnection& operator=(const ReadOnlyConnection&) = delete;

    bool isActive() const { return m_active; }
    QString error() const { return m_error; }

private:
    QSqlDatabase m_db;
    QString m_error;
    bool m_wasReadOnly = false;
    bool m_active = false;
};

// The current row of each enclosing section, innermost first: where a nested query's
// placeholders take their values.
struct Scope
{
    const QSqlRecord& row;
    const Scope* outer;
};

// NULL and empty texts are false to the template, so {{#x}} and {{^x}} test for a value.
mu::data textOrFalse(const QString& text) { return text.isEmpty() ? mu::data(false) : utf8(text); }

// Runs a definition's queries into the template's data.
class Filler
{
public:
    Filler(const ReportDefinition& definition, const QSqlDatabase& db, QDate today)
        : m_definition(definition), m_db(db), m_today(today)
    {
    }

    // Sets the company_* values of `context` from the columns of `company`, with
    // company_postcode, company_street (the address lines), company_locality (town,
    // county, postcode) and company_address (all on one line) composed; `name` gets the
    // firm's name.
    bool addCompany(mu::data& context, QString* name)
    {
        QSqlQuery query(m_db);
        QString reason;
        if (!run(query, QStringLiteral("select * from company limit 1"), {}, &reason))
            return fail(ReportError::QueryFailed, 0,
                        QStringLiteral("the company details could not be read: %1").arg(reason));
        if (!query.next())
            return true;
        const QSqlRecord row = query.record();
        for (int i = 0; i < row.count(); ++i)
            context.set(utf8(row.fieldName(i).toLower()), textOrFalse(row.value(i).toString()));
        const auto field = [&row](const char* column) {
            return row.value(QLatin1String(column)).toString().trimmed();
        };
        const auto joined = [](QStringList parts, const QString& separator) {
            parts.removeAll(QString());
            return parts.join(separator);
        };
        const QString postcode =
            joined({field("company_postcode1"), field("company_postcode2")}, QStringLiteral(" "));
        const QString street =
            joined({field("company_addr1"), field("company_addr2")}, QStringLiteral(", "));
        const QString locality = joined({field("company_town"), field("company_county"), postcode},
                                        QStringLiteral(", "));
        context.set("company_postcode", textOrFalse(postcode));
        context.set("company_street", textOrFalse(street));
        context.set("company_locality", textOrFalse(locality));
        context.set("company_address",
                    textOrFalse(joined({street, locality}, QStringLiteral(", "))));
        *name = field("company_Name");
        return true;
    }

    // Runs `section` (once for each row of its enclosing sections) and sets its rows as a
    // list named after it in `target`. Each row also carries _number (from 1), _first and
    // _last.
    bool fill(mu::data& target, const DataSection& section, const Scope* scope)
    {
        QString reason;
        const auto bound = bindReadOnly(section.sql, &reason);
        if (!bound)
            return fail(
                ReportError::QueryRefused, section.line,
                QStringLiteral("the query of '%1' is refused: %2").arg(section.name, reason));
        QVariantList values;
        for (const QString& name : bound->parameters) {
            const auto value = parameter(name, scope);
            if (!value)
                return fail(ReportError::QueryFailed, section.line,
                            QStringLiteral("the query of '%1' uses :%2, which is neither a column "
                                           "of an enclosing query nor :today")
                                .arg(section.name, name));
            values.append(*value);
        }
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        if (!run(query, bound->sql, values, &reason))
            return fail(ReportError::QueryFailed, section.line,
                        QStringLiteral("the query of '%1' failed: %2").arg(section.name, reason));
        if (!checkColumns(section, query.record()))
            return false;
        std::vector<mu::data> rows;
        while (query.next()) {
            const QSqlRecord record = query.record();
            mu::data row(mu::data::type::object);
            for (int i = 0; i < record.count(); ++i)
                row.set(utf8(record.fieldName(i)), cell(section, record, i));
            const Scope inner{record, scope};
            for (const DataSection& child : section.children) {
                if (!fill(row, child, &inner))
                    return false;
            }
            rows.push_back(std::move(row));
        }
        mu::list list;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            rows[i].set("_number", std::to_string(i + 1));
            rows[i].set("_first", i == 0);
            rows[i].set("_last", i + 1 == rows.size());
            list.push_back(rows[i]);
        }
        target.set(utf8(section.name), list);
        return true;
    }

    const ReportError& error() const { return m_error; }

private:
    std::optional<QVariant> parameter(const QString& name, const Scope* scope) const
    {
        for (const Scope* level = scope; level; level = level->outer) {
            const int column = level->row.indexOf(name);
            if (column >= 0)
                return level->row.value(column);
        }
        if (name.compare(QLatin1String("today"), Qt::CaseInsensitive) == 0)
            return storedDate(m_today);
        return std::nullopt;
    }

    // Every column that the section formats must be one its query returns.
    bool checkColumns(const DataSection& section, const QSqlRecord& columns)
    {
        for (const auto& [list, kind] :
             {std::pair{&section.money, "money"}, std::pair{&section.dates, "dates"}}) {
            for (const QString& name : *list) {
                if (columns.indexOf(name) < 0)
                    return fail(ReportError::Malformed, section.line,
                                QStringLiteral("'%1', listed under %2, is not a column of the "
                                               "query of '%3'")
                                    .arg(name, QLatin1String(kind), section.name));
            }
        }
        return true;
    }

    static mu::data cell(const DataSection& section, const QSqlRecord& record, int column)
    {
        const QVariant value = record.value(column);
        const QString name = record.fieldName(column);
        if (value.isNull())
            return false;
        if (section.money.contains(name, Qt::CaseInsensitive))
            return utf8(Money::fromVariant(value).toString());
        if (section.dates.contains(name, Qt::CaseInsensitive)) {
            const QDate date = dateFromStored(value.toString());
            return textOrFalse(date.isValid() ? ukDate(date) : value.toString());
        }
        return textOrFalse(value.toString());
    }

    bool fail(int number, int line, const QString& what)
    {
        const QString path = QDir::toNativeSeparators(m_definition.path);
        const QString place = line > 0 ? placeInFile(m_definition.path, line)
                                       : QStringLiteral("The report file '%1'").arg(path);
        m_error = {number, QStringLiteral("%1: %2.").arg(place, what)};
        return false;
    }

    const ReportDefinition& m_definition;
    QSqlDatabase m_db;
    QDate m_today;
    ReportError m_error;
};

// Renders the template; a template error names its line in the file.
std::optional<QString> renderLayout(const ReportDefinition& definition, const mu::data& context,
                                    ReportError* error)
{
    const std::string text = utf8(definition.layout);
    mu::mustache layout(text);
    std::string html;
    if (layout.is_valid())
        html = layout.render(context);
    if (layout.is_valid())
        return QString::fromStdString(html);
    // The library names the place as "... at <byte offset>".
    static const QRegularExpression offset(QStringLiteral("^(.*) at (\\d+)$"));
    QString what = QString::fromStdString(layout.error_message());
    int line = definition.layoutLine;
    const QRegularExpressionMatch match = offset.match(what);
    if (match.hasMatch()) {
        const auto at = static_cast<std::size_t>(match.captured(2).toULongLong());
        line += static_cast<int>(
            std::count(text.begin(), text.begin() + std::min(at, text.size()), '\n'));
        what = match.captured(1);
    }
    if (!what.isEmpty())
        what[0] = what[0].toLower();
    *error = {ReportError::Malformed, QStringLiteral("%1 is malformed: in the template, %2.")
                                          .arg(placeInFile(definition.path, line), what)};
    return std::nullopt;
}

} // namespace

std::optional<RenderedReport> renderReport(const ReportDefinition& definition, QSqlDatabase db,
                                           QDate today, ReportError* error)
{
    const QString name = QFileInfo(definition.path).fileName();
    if (!db.isOpen()) {
        *error = {
            ReportError::NoDatabase,
            QStringLiteral("The report '%1' cannot be run: the database is not open.").arg(name)};
        return std::nullopt;
    }
    const ReadOnlyConnection readOnly(db);
    if (!readOnly.isActive()) {
        *error = {ReportError::NoDatabase,
                  QStringLiteral("The report '%1' cannot be run: the database refused read-only "
                                 "access: %2")
                      .arg(name, readOnly.error())};
        return std::nullopt;
    }
    Filler filler(definition, db, today);
    mu::data context(mu::data::type::object);
    RenderedReport report;
    report.title =
        definition.title.isEmpty() ? QFileInfo(definition.path).baseName() : definition.title;
    context.set("title", utf8(report.title));
    context.set("printed", utf8(ukDate(today)));
    bool filled = filler.addCompany(context, &report.company);
    for (auto section = definition.data.begin(); filled && section != definition.data.end();
         ++section)
        filled = filler.fill(context, *section, nullptr);
    if (!filled) {
        *error = filler.error();
        return std::nullopt;
    }
    const auto html = renderLayout(definition, context, error);
    if (!html)
        return std::nullopt;
    report.html = *html;
    report.printed = today;
    report.style = definition.style;
    report.orientation = definition.orientation;
    report.pageNumbers = definition.pageNumbers;
    report.fitToPage = definition.fitToPage;
    return report;
}

std::optional<RenderedReport> renderReportFile(const QString& path, QSqlDatabase db,
                                               ReportError* error)
{
    const auto definition = loadDefinition(path, error);
    if (!definition)
        return std::nullopt;
    return renderReport(*definition, db, QDate::currentDate(), error);
}

} // namespace velmora::reports
