#include "reportstream.h"

#include "data/costline.h"
#include "data/dates.h"
#include "data/money.h"
#include "data/sql.h"
#include "data/sqliteguard.h"
#include "sqltext.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

namespace velmora::reports {

namespace {

struct Failure
{
    ReportError error;
};

// The columns of one query's rows, shared by all its rows.
struct Columns
{
    QStringList names;
    std::vector<bool> money;
    std::vector<bool> dates;
};

// One row, its values already in the form the template shows.
struct Row
{
    std::shared_ptr<const Columns> columns;
    std::vector<QString> cells;
    std::vector<QVariant> raw; // for the placeholders of nested queries
    std::int64_t number = 0;
    bool last = false;

    int indexOf(QStringView name) const
    {
        for (qsizetype i = 0; i < columns->names.size(); ++i) {
            if (columns->names.at(i) == name)
                return static_cast<int>(i);
        }
        return -1;
    }
};

// What a name stands for where the template looks it up.
struct Found
{
    enum class Kind { Missing, Text, Flag, List };
    Kind kind = Kind::Missing;
    QString text;
    bool flag = false;
    const DataSection* section = nullptr;

    bool truthy() const
    {
        return kind == Kind::Text ? !text.isEmpty() : kind == Kind::Flag && flag;
    }
};

// A level of the template's context: the top, a row of a section, or a value a section
// was opened on.
struct Frame
{
    const Row* row = nullptr;
    const DataSection* section = nullptr; // the row's section
    const QString* value = nullptr;       // {{.}} inside a section opened on a value
};

class Streamer
{
public:
    Streamer(const ReportDefinition& definition, const StreamInput& input, HtmlSink& sink)
        : m_definition(definition), m_input(input), m_sink(sink)
    {
    }

    // Prepares every query before any row is read, so that a refused or broken query, a
    // placeholder without a value or a money or dates column the query lacks fails the
    // report at once, whether or not the template reaches it.
    void check(const std::vector<DataSection>& sections, const std::vector<QStringList>& outer)
    {
        for (const DataSection& section : sections) {
            Statement& statement = *(m_statements[&section] = std::make_unique<Statement>());
            prepare(section, statement);
            const PreparedShape shape = preparedShape(statement.query);
            if (shape.known && !shape.readOnly)
                throw fail(ReportError::QueryRefused, section.line,
                           QStringLiteral("the query of '%1' is refused: a report may only read")
                               .arg(section.name));
            for (const auto& [list, kind] :
                 {std::pair{&section.money, "money"}, std::pair{&section.dates, "dates"}}) {
                for (const QString& name : *list) {
                    if (shape.known && !shape.columns.contains(name, Qt::CaseInsensitive))
                        throw fail(ReportError::Malformed, section.line,
                                   QStringLiteral("'%1', listed under %2, is not a column of the "
                                                  "query of '%3'")
                                       .arg(name, QLatin1String(kind), section.name));
                }
            }
            for (const QString& name : statement.parameters) {
                const bool known =
                    std::any_of(outer.begin(), outer.end(),
                                [&name](const QStringList& columns) {
                                    return columns.contains(name, Qt::CaseInsensitive);
                                }) ||
                    m_input.values.contains(name.toLower()) ||
                    name.compare(QLatin1String("today"), Qt::CaseInsensitive) == 0;
                if (!known)
                    throw unknownParameter(section, name);
            }
            m_columns[&section] = shape.columns;
            std::vector<QStringList> inner = outer;
            inner.push_back(shape.columns);
            check(section.children, inner);
        }
    }

    void render(const std::vector<TemplateNode>& nodes)
    {
        for (const TemplateNode& node : nodes)
            renderNode(node);
    }

    // Writes the rows of the first section, each beside those of its first nested section.
    void writeRows(RowSink& sink)
    {
        m_plain = true;
        std::vector<const DataSection*> chain;
        for (const DataSection* section = firstInFile(m_definition.data); section;
             section = firstInFile(section->children))
            chain.push_back(section);
        QStringList headings;
        // A nested column named as an outer one is told apart by its section's name.
        for (const DataSection* section : chain) {
            for (const QString& name : m_columns[section])
                headings.append(headings.contains(name, Qt::CaseInsensitive)
                                    ? section->name + QLatin1Char('.') + name
                                    : name);
        }
        m_width = headings.size();
        emitRow(sink, headings);
        if (!chain.empty())
            writeLevel(chain, 0, {}, sink);
    }

private:
    void writeLevel(const std::vector<const DataSection*>& chain, std::size_t level,
                    const QStringList& outer, RowSink& sink)
    {
        const DataSection& section = *chain[level];
        Statement* statement = start(section);
        Row row;
        bool any = false;
        for (std::int64_t number = 1; fetch(section, *statement, &row, number); ++number) {
            any = true;
            QStringList cells = outer;
            for (const QString& cell : row.cells)
                cells.append(cell);
            if (level + 1 == chain.size()) {
                emitRow(sink, cells);
                continue;
            }
            m_frames.push_back({&row, &section, nullptr});
            writeLevel(chain, level + 1, cells, sink);
            m_frames.pop_back();
        }
        statement->busy = false;
        statement->query.finish();
        if (!any && level > 0)
            emitRow(sink, outer);
    }

    // The section the file lists first; null when there is none.
    static const DataSection* firstInFile(const std::vector<DataSection>& sections)
    {
        const auto first = std::min_element(
            sections.begin(), sections.end(),
            [](const DataSection& a, const DataSection& b) { return a.line < b.line; });
        return first == sections.end() ? nullptr : &*first;
    }

    void emitRow(RowSink& sink, QStringList cells)
    {
        while (cells.size() < m_width)
            cells.append(QString());
        if (!sink.write(cells))
            throw fail(ReportError::OutputFailed, 0,
                       QStringLiteral("its rows could not be written"));
    }

    // A query of a section, prepared once and run again for each parent row.
    struct Statement
    {
        QSqlQuery query;
        QStringList parameters;
        bool prepared = false;
        bool busy = false;
        std::shared_ptr<const Columns> columns; // of the current run
    };

    void renderNode(const TemplateNode& node)
    {
        switch (node.kind) {
        case TemplateNode::Kind::Text:
            m_sink.write(node.text);
            break;
        case TemplateNode::Kind::Value:
        case TemplateNode::Kind::RawValue: {
            const Found found = lookUp(node.text);
            QString out;
            if (found.kind == Found::Kind::Text)
                out = found.text;
            else if (found.kind == Found::Kind::Flag)
                out = found.flag ? QStringLiteral("true") : QStringLiteral("false");
            if (node.kind == TemplateNode::Kind::Value) {
                QString escaped;
                appendEscaped(escaped, out);
                m_sink.write(escaped);
            } else {
                m_sink.write(out);
            }
            break;
        }
        case TemplateNode::Kind::Section:
        case TemplateNode::Kind::Inverted:
            renderSection(node);
            break;
        }
    }

    void renderSection(const TemplateNode& node)
    {
        const Found found = lookUp(node.text);
        const bool inverted = node.kind == TemplateNode::Kind::Inverted;
        if (found.kind == Found::Kind::List) {
            if (inverted) {
                if (!hasRows(*found.section))
                    render(node.children);
            } else {
                renderRows(*found.section, node.children);
            }
            return;
        }
        if (found.truthy() == inverted)
            return;
        if (inverted || found.kind != Found::Kind::Text) {
            render(node.children);
            return;
        }
        m_frames.push_back({nullptr, nullptr, &found.text});
        render(node.children);
        m_frames.pop_back();
    }

    void renderRows(const DataSection& section, const std::vector<TemplateNode>& children)
    {
        auto statement = start(section);
        Row current;
        bool have = fetch(section, *statement, &current, 1);
        if (section.isTopLevel)
            m_hasRows[&section] = have;
        while (have) {
            checkLimits(section);
            Row next;
            const bool more = fetch(section, *statement, &next, current.number + 1);
            current.last = !more;
            m_frames.push_back({&current, &section, nullptr});
            render(children);
            m_frames.pop_back();
            m_sink.rowEnded();
            current = std::move(next);
            have = more;
        }
        statement->busy = false;
        statement->query.finish();
    }

    bool hasRows(const DataSection& section)
    {
        if (section.isTopLevel) {
            const auto known = m_hasRows.find(&section);
            if (known != m_hasRows.end())
                return known->second;
        }
        auto statement = start(section);
        Row row;
        const bool any = fetch(section, *statement, &row, 1);
        statement->busy = false;
        statement->query.finish();
        if (section.isTopLevel)
            m_hasRows[&section] = any;
        return any;
    }

    // Runs the section's query with its placeholders bound from the rows being rendered.
    Statement* start(const DataSection& section)
    {
        std::unique_ptr<Statement>& cached = m_statements[&section];
        Statement* statement = cached.get();
        if (statement && statement->busy) {
            m_spares.push_back(std::make_unique<Statement>());
            statement = m_spares.back().get();
        }
        if (!statement) {
            cached = std::make_unique<Statement>();
            statement = cached.get();
        }
        if (!statement->prepared)
            prepare(section, *statement);
        for (qsizetype i = 0; i < statement->parameters.size(); ++i)
            statement->query.bindValue(static_cast<int>(i),
                                       parameter(section, statement->parameters.at(i)));
        statement->busy = true;
        statement->columns.reset();
        if (!statement->query.exec())
            throw queryFailure(section, statement->query);
        return statement;
    }

    void prepare(const DataSection& section, Statement& statement)
    {
        QString reason;
        const auto bound = bindReadOnly(section.sql, &reason);
        if (!bound)
            throw fail(
                ReportError::QueryRefused, section.line,
                QStringLiteral("the query of '%1' is refused: %2").arg(section.name, reason));
        statement.query = QSqlQuery(m_input.db);
        readForwardOnly(statement.query);
        statement.parameters = bound->parameters;
        if (!statement.query.prepare(bound->sql))
            throw queryFailure(section, statement.query);
        statement.prepared = true;
    }

    QVariant parameter(const DataSection& section, const QString& name) const
    {
        for (auto frame = m_frames.rbegin(); frame != m_frames.rend(); ++frame) {
            if (!frame->row)
                continue;
            const int column = frame->row->indexOf(name);
            if (column < 0) {
                // Placeholders match columns in any case, as the database does.
                for (qsizetype i = 0; i < frame->row->columns->names.size(); ++i) {
                    if (frame->row->columns->names.at(i).compare(name, Qt::CaseInsensitive) == 0)
                        return frame->row->raw.at(i);
                }
                continue;
            }
            return frame->row->raw.at(column);
        }
        const auto value = m_input.values.find(name.toLower());
        if (value != m_input.values.end())
            return *value;
        if (name.compare(QLatin1String("today"), Qt::CaseInsensitive) == 0)
            return storedDate(m_input.today);
        throw unknownParameter(section, name);
    }

    Failure unknownParameter(const DataSection& section, const QString& name) const
    {
        return fail(ReportError::QueryFailed, section.line,
                    QStringLiteral("the query of '%1' uses :%2, which is neither a column of an "
                                   "enclosing query, a parameter of the report nor :today")
                        .arg(section.name, name));
    }

    // Reads the next row into *row; false at the end.
    bool fetch(const DataSection& section, Statement& statement, Row* row, std::int64_t number)
    {
        checkLimits(section);
        if (!statement.query.next()) {
            if (statement.query.lastError().isValid())
                throw queryFailure(section, statement.query);
            return false;
        }
        if (!statement.columns)
            statement.columns = describe(section, statement.query.record());
        const Columns& columns = *statement.columns;
        row->columns = statement.columns;
        row->number = number;
        const int count = static_cast<int>(columns.names.size());
        row->cells.resize(count);
        row->raw.resize(count);
        for (int i = 0; i < count; ++i) {
            QVariant value = statement.query.value(i);
            row->cells[i] = cell(section, columns, i, value);
            row->raw[i] = std::move(value);
        }
        ++m_rows;
        if (m_input.counters)
            m_input.counters->rows.fetch_add(1, std::memory_order_relaxed);
        return true;
    }

    // The section's columns, each checked against the money and dates lists.
    std::shared_ptr<const Columns> describe(const DataSection& section, const QSqlRecord& record)
    {
        auto columns = std::make_shared<Columns>();
        for (int i = 0; i < record.count(); ++i) {
            const QString name = record.fieldName(i);
            columns->names.append(name);
            columns->money.push_back(section.money.contains(name, Qt::CaseInsensitive));
            columns->dates.push_back(section.dates.contains(name, Qt::CaseInsensitive));
        }
        return columns;
    }

    QString cell(const DataSection& section, const Columns& columns, int column,
                 const QVariant& value) const
    {
        if (value.isNull())
            return {};
        if (columns.money[column]) {
            const Money amount = money(section, columns.names.at(column), value);
            return m_plain ? amount.toPlainString() : amount.toString();
        }
        if (columns.dates[column]) {
            const QString text = value.toString();
            const QDate date = dateFromStored(text);
            return date.isValid() ? ukDate(date) : text;
        }
        return value.toString();
    }

    // A stored amount: a whole number of ten-thousandths that 64 bits hold.
    Money money(const DataSection& section, const QString& column, const QVariant& value) const
    {
        bool whole = false;
        qlonglong units = 0;
        switch (value.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Int:
        case QMetaType::UInt:
            units = value.toLongLong(&whole);
            break;
        case QMetaType::Double: {
            const double number = value.toDouble();
            // Exact below 2^53; beyond, a double no longer says which amount it was.
            whole = std::isfinite(number) && std::trunc(number) == number &&
                    std::fabs(number) <= 9007199254740992.0;
            units = whole ? static_cast<qlonglong>(number) : 0;
            break;
        }
        default:
            units = value.toString().trimmed().toLongLong(&whole);
        }
        if (!whole)
            throw fail(ReportError::BadMoney, section.line,
                       QStringLiteral("the money column '%1' of '%2' holds '%3', which is not a "
                                      "whole number of ten-thousandths within range")
                           .arg(column, section.name, value.toString().left(40)));
        return Money::fromStored(units);
    }

    Found lookUp(const QString& name) const
    {
        if (name == QLatin1String(".")) {
            for (auto frame = m_frames.rbegin(); frame != m_frames.rend(); ++frame) {
                if (frame->value)
                    return {Found::Kind::Text, *frame->value};
            }
            return {};
        }
        for (auto frame = m_frames.rbegin(); frame != m_frames.rend(); ++frame) {
            if (!frame->row)
                continue;
            const Row& row = *frame->row;
            const int column = row.indexOf(name);
            if (column >= 0)
                return {Found::Kind::Text, row.cells[column]};
            for (const DataSection& child : frame->section->children) {
                if (child.name == name)
                    return {Found::Kind::List, {}, false, &child};
            }
            if (name == QLatin1String("_number"))
                return {Found::Kind::Text, QString::number(row.number)};
            if (name == QLatin1String("_first"))
                return {Found::Kind::Flag, {}, row.number == 1};
            if (name == QLatin1String("_last"))
                return {Found::Kind::Flag, {}, row.last};
        }
        for (const DataSection& section : m_definition.data) {
            if (section.name == name)
                return {Found::Kind::List, {}, false, &section};
        }
        const auto value = m_input.templateValues.find(name);
        if (value != m_input.templateValues.end())
            return {Found::Kind::Text, value->toString()};
        return {};
    }

    void checkCancelled() const
    {
        if (m_input.watch && m_input.watch->isCancelled())
            throw Failure{{ReportError::Cancelled, QStringLiteral("The report was cancelled.")}};
    }

    // Stops the run, while `section` is read, once it is cancelled or past one of its limits.
    void checkLimits(const DataSection& section) const
    {
        checkCancelled();
        if (m_input.watch && m_input.watch->pastLimit())
            throw timedOut(section);
        if (m_rows >= m_definition.rowLimit)
            throw fail(ReportError::TooManyRows, section.line,
                       QStringLiteral("the report read %1 rows, its limit, while reading '%2', "
                                      "and was stopped (row-limit)")
                           .arg(m_rows)
                           .arg(section.name));
        if (m_input.counters && m_input.counters->pages.load() >= m_definition.pageLimit)
            throw fail(ReportError::TooManyPages, section.line,
                       QStringLiteral("the report reached %1 pages, its limit, while reading "
                                      "'%2', and was stopped (page-limit)")
                           .arg(m_definition.pageLimit)
                           .arg(section.name));
    }

    Failure timedOut(const DataSection& section) const
    {
        return fail(ReportError::TimedOut, section.line,
                    QStringLiteral("the report ran longer than its time limit of %1 s while "
                                   "reading '%2', and was stopped")
                        .arg(m_definition.timeLimit)
                        .arg(section.name));
    }

    // Why a query whose sums ran past 64 bits failed, naming the likeliest job.
    static QString sumsTooLarge(const QString& job)
    {
        const QString sums = QStringLiteral("its sums ran past what can be held");
        return job.isEmpty() ? sums + QStringLiteral(" (integer overflow)")
                             : sums + QStringLiteral("; the largest amount is on a cost line "
                                                     "of job %1")
                                          .arg(job);
    }

    Failure queryFailure(const DataSection& section, const QSqlQuery& query) const
    {
        checkCancelled();
        if (m_input.watch && m_input.watch->timedOut())
            return timedOut(section);
        const QSqlError error = query.lastError();
        QString reason = error.databaseText().isEmpty() ? error.text() : error.databaseText();
        if (error.nativeErrorCode() == QLatin1String("18")) // SQLITE_TOOBIG
            reason = QStringLiteral("a value is larger than the %1 bytes a report may read")
                         .arg(QueryWatch::kLargestValueBytes);
        else if (reason.trimmed().isEmpty())
            reason = QStringLiteral("the database gave no reason");
        else if (reason.contains(QLatin1String("integer overflow")))
            reason = sumsTooLarge(jobOfLargestCostLine(m_input.db));
        return fail(ReportError::QueryFailed, section.line,
                    QStringLiteral("the query of '%1' failed: %2").arg(section.name, reason));
    }

    Failure fail(int number, int line, const QString& what) const
    {
        const QString place = line > 0 ? placeInFile(m_definition.path, line)
                                       : QStringLiteral("The report file '%1'")
                                             .arg(QDir::toNativeSeparators(m_definition.path));
        return Failure{{number, QStringLiteral("%1: %2.").arg(place, what)}};
    }

    const ReportDefinition& m_definition;
    const StreamInput& m_input;
    HtmlSink& m_sink;
    std::vector<Frame> m_frames;
    std::map<const DataSection*, std::unique_ptr<Statement>> m_statements;
    std::vector<std::unique_ptr<Statement>> m_spares;
    std::map<const DataSection*, bool> m_hasRows;
    std::map<const DataSection*, QStringList> m_columns;
    std::int64_t m_rows = 0;
    qsizetype m_width = 0; // the columns of a row taken out as data
    bool m_plain = false;  // amounts as data (1234.50), not as shown
};

// Where the text of a report taken out as data would go: nowhere.
class NoText final : public HtmlSink
{
public:
    void write(QStringView) override {}
    void rowEnded() override {}
};

} // namespace

bool readCompany(const QSqlDatabase& db, QVariantMap* values, QString* name, QString* reason)
{
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("select * from company limit 1"), {}, reason))
        return false;
    if (!query.next())
        return true;
    const QSqlRecord row = query.record();
    for (int i = 0; i < row.count(); ++i)
        values->insert(row.fieldName(i).toLower(), row.value(i).toString());
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
    const QString locality =
        joined({field("company_town"), field("company_county"), postcode}, QStringLiteral(", "));
    values->insert(QStringLiteral("company_postcode"), postcode);
    values->insert(QStringLiteral("company_street"), street);
    values->insert(QStringLiteral("company_locality"), locality);
    values->insert(QStringLiteral("company_address"),
                   joined({street, locality}, QStringLiteral(", ")));
    *name = field("company_Name");
    return true;
}

bool streamReport(const ReportDefinition& definition, const std::vector<TemplateNode>& layout,
                  const StreamInput& input, HtmlSink& sink, ReportError* error)
{
    try {
        Streamer streamer(definition, input, sink);
        streamer.check(definition.data, {});
        streamer.render(layout);
        return true;
    } catch (const Failure& failure) {
        *error = failure.error;
        return false;
    }
}

bool streamRows(const ReportDefinition& definition, const StreamInput& input, RowSink& sink,
                ReportError* error)
{
    try {
        NoText none;
        Streamer streamer(definition, input, none);
        streamer.check(definition.data, {});
        streamer.writeRows(sink);
        return true;
    } catch (const Failure& failure) {
        *error = failure.error;
        return false;
    }
}

} // namespace velmora::reports
