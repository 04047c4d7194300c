#include "plainpages.h"

#include "reports/parameters.h"

#include <QPainter>
#include <QPdfWriter>

namespace velmora::bench {

namespace {

// The engine names a placeholder's value by the placeholder without its colon, in any case.
QString placeholderName(sqlite3_stmt* statement, int index)
{
    const char* name = sqlite3_bind_parameter_name(statement, index);
    return name ? QString::fromUtf8(name + 1) : QString();
}

// Column `name` of `statement` in any case; -1 when it has none.
int columnNamed(sqlite3_stmt* statement, const QString& name)
{
    for (int column = 0; column < sqlite3_column_count(statement); ++column) {
        if (name.compare(QString::fromUtf8(sqlite3_column_name(statement, column)),
                         Qt::CaseInsensitive) == 0)
            return column;
    }
    return -1;
}

} // namespace

// Draws the rows of one write, page by page.
class PlainPages::Writer
{
public:
    Writer(const QString& path, QPageLayout::Orientation orientation, std::int64_t rowsPerPage,
           std::int64_t rowLimit)
        : m_pdf(path), m_rowsPerPage(std::max<std::int64_t>(1, rowsPerPage)), m_rowLimit(rowLimit)
    {
        m_pdf.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), orientation, QMarginsF(), QPageLayout::Point));
        m_painter.begin(&m_pdf);
        m_painter.setFont(QFont(QStringLiteral("Sans Serif"), 7));
        m_step = m_painter.viewport().height() / static_cast<double>(m_rowsPerPage + 1);
    }

    bool isActive() const { return m_painter.isActive(); }
    bool full() const { return m_rowLimit >= 0 && m_rows >= m_rowLimit; }
    std::int64_t rows() const { return m_rows; }

    void draw(sqlite3_stmt* statement)
    {
        if (m_onPage == m_rowsPerPage) {
            newPage();
        }
        m_line.clear();
        for (int column = 0; column < sqlite3_column_count(statement); ++column) {
            if (column > 0)
                m_line.append("  ");
            m_line.append(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                          sqlite3_column_bytes(statement, column));
        }
        ++m_onPage;
        ++m_rows;
        m_painter.drawText(QPointF(0, m_step * static_cast<double>(m_onPage)),
                           QString::fromUtf8(m_line));
    }

    // Adds blank pages up to `pages` and ends the file.
    bool end(int pages)
    {
        while (m_pages < pages)
            newPage();
        return m_painter.end();
    }

private:
    void newPage()
    {
        m_pdf.newPage();
        ++m_pages;
        m_onPage = 0;
    }

    QPdfWriter m_pdf;
    QPainter m_painter;
    QByteArray m_line;
    std::int64_t m_rowsPerPage;
    std::int64_t m_rowLimit;
    std::int64_t m_rows = 0;
    std::int64_t m_onPage = 0;
    int m_pages = 1;
    double m_step = 1;
};

bool PlainPages::prepareSection(sqlite3* db, const reports::DataSection& section,
                                const QVariantMap& values, const QDate& today,
                                std::vector<sqlite3_stmt*>& enclosing, Query* query, QString* error)
{
    query->statement = bench::prepare(db, section.sql.toUtf8().constData(), error);
    if (!query->statement)
        return false;
    sqlite3_stmt* statement = query->statement.get();
    // The nearest enclosing row first, then the parameters, then :today, as the report
    // looks them up.
    for (int index = 1; index <= sqlite3_bind_parameter_count(statement); ++index) {
        const QString name = placeholderName(statement, index);
        Binding binding;
        binding.index = index;
        for (int depth = static_cast<int>(enclosing.size()) - 1; depth >= 0; --depth) {
            const int column = columnNamed(enclosing[static_cast<std::size_t>(depth)], name);
            if (column >= 0) {
                binding.depth = depth;
                binding.column = column;
                break;
            }
        }
        if (binding.depth >= 0) {
            query->parentColumns.push_back(binding);
            continue;
        }
        const auto value = values.find(name.toLower());
        int result = SQLITE_OK;
        if (value != values.end() &&
            (value->typeId() == QMetaType::Int || value->typeId() == QMetaType::LongLong)) {
            result = sqlite3_bind_int64(statement, index, value->toLongLong());
        } else {
            const QByteArray text = value != values.end() ? value->toString().toUtf8()
                                    : name.compare(QLatin1String("today"), Qt::CaseInsensitive) == 0
                                        ? today.toString(Qt::ISODate).toUtf8()
                                        : QByteArray();
            if (text.isNull()) {
                *error = QStringLiteral("The query of '%1' uses :%2, which has no value.")
                             .arg(section.name, name);
                return false;
            }
            result = sqlite3_bind_text(statement, index, text.constData(),
                                       static_cast<int>(text.size()), SQLITE_TRANSIENT);
        }
        if (result != SQLITE_OK) {
            *error = QString::fromUtf8(sqlite3_errmsg(db));
            return false;
        }
    }
    enclosing.push_back(statement);
    for (const reports::DataSection& child : section.children) {
        query->children.emplace_back();
        if (!prepareSection(db, child, values, today, enclosing, &query->children.back(), error))
            return false;
    }
    enclosing.pop_back();
    return true;
}

std::optional<PlainPages> PlainPages::prepare(sqlite3* db,
                                              const reports::ReportDefinition& definition,
                                              const QMap<QString, QString>& given, QDate today,
                                              QString* error)
{
    QVariantMap values;
    QVariantMap shown;
    reports::ReportError refused;
    if (!reports::resolveParameters(definition.parameters, given, today, definition.path, &values,
                                    &shown, &refused)) {
        *error = refused.text;
        return std::nullopt;
    }
    PlainPages pages;
    pages.m_orientation = definition.orientation;
    std::vector<sqlite3_stmt*> enclosing;
    for (const reports::DataSection& section : definition.data) {
        pages.m_queries.emplace_back();
        if (!prepareSection(db, section, values, today, enclosing, &pages.m_queries.back(), error))
            return std::nullopt;
    }
    return pages;
}

namespace {

// Runs `query` and, for each of its rows, the queries nested in it.
template <typename Query, typename Writer>
bool runQuery(const Query& query, std::vector<sqlite3_stmt*>& enclosing, Writer& writer,
              QString* error)
{
    sqlite3_stmt* statement = query.statement.get();
    for (const auto& binding : query.parentColumns)
        sqlite3_bind_value(statement, binding.index,
                           sqlite3_column_value(enclosing[static_cast<std::size_t>(binding.depth)],
                                                binding.column));
    enclosing.push_back(statement);
    int result = SQLITE_ROW;
    bool ok = true;
    while (ok && !writer.full() && (result = sqlite3_step(statement)) == SQLITE_ROW) {
        writer.draw(statement);
        for (const auto& child : query.children) {
            ok = runQuery(child, enclosing, writer, error);
            if (!ok)
                break;
        }
    }
    enclosing.pop_back();
    if (!ok) {
        sqlite3_reset(statement);
        return false;
    }
    return finish(statement, result == SQLITE_ROW ? SQLITE_DONE : result, error);
}

} // namespace

bool PlainPages::write(const QString& path, std::int64_t rowsPerPage, int pages,
                       std::int64_t rowLimit, std::int64_t* rows, QString* error) const
{
    Writer writer(path, m_orientation, rowsPerPage, rowLimit);
    if (!writer.isActive()) {
        *error = QStringLiteral("The file '%1' could not be written.").arg(path);
        return false;
    }
    std::vector<sqlite3_stmt*> enclosing;
    for (const Query& query : m_queries) {
        if (!runQuery(query, enclosing, writer, error))
            return false;
    }
    *rows = writer.rows();
    if (!writer.end(pages)) {
        *error = QStringLiteral("The file '%1' could not be written.").arg(path);
        return false;
    }
    return true;
}

} // namespace velmora::bench
