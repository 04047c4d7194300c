#include "renderer.h"

#include "data/dates.h"
#include "data/readonly.h"
#include "pagepainter.h"
#include "paginator.h"

#include <QFileInfo>
#include <QTextDocument>

namespace velmora::reports {

namespace {

// Keeps the whole rich text, for a report fitted to one page or rendered in one piece;
// refuses to grow past `limit` characters.
class TextSink final : public HtmlSink
{
public:
    explicit TextSink(qsizetype limit) : m_limit(limit) {}
    void write(QStringView html) override
    {
        if (m_html.size() + html.size() > m_limit)
            m_overflow = true;
        else
            m_html += html;
    }
    void rowEnded() override {}
    bool overflowed() const { return m_overflow; }
    QString& html() { return m_html; }

private:
    qsizetype m_limit;
    QString m_html;
    bool m_overflow = false;
};

// A report fitted to one page is laid out whole; this much text is plenty for it.
constexpr qsizetype kFittedLimit = 1024 * 1024;
// Rich text rendered in one piece for a caller that wants it whole.
constexpr qsizetype kWholeLimit = 64 * 1024 * 1024;

ReportError tooLarge(const ReportDefinition& definition, qsizetype limit)
{
    return {ReportError::TooComplex,
            QStringLiteral("%1: the report renders to more than %2 MB of text in one piece; "
                           "let it run over pages instead.")
                .arg(placeInFile(definition.path, definition.layoutLine))
                .arg(limit / (1024 * 1024))};
}

// Opens the run: the database read-only and the values every template sees.
bool begin(const ReportDefinition& definition, QSqlDatabase db, const RunOptions& options,
           RenderedReport* look, StreamInput* input, ReportError* error)
{
    const QString name = QFileInfo(definition.path).fileName();
    if (!db.isOpen()) {
        *error = {
            ReportError::NoDatabase,
            QStringLiteral("The report '%1' cannot be run: the database is not open.").arg(name)};
        return false;
    }
    QVariantMap values = options.templateValues;
    QString reason;
    if (!readCompany(db, &values, &look->company, &reason)) {
        *error = {ReportError::QueryFailed,
                  QStringLiteral("The report file '%1': the company details could not be read: "
                                 "%2.")
                      .arg(definition.path, reason)};
        return false;
    }
    values.insert(QStringLiteral("title"), look->title);
    values.insert(QStringLiteral("printed"), ukDate(options.today));
    input->db = db;
    input->today = options.today;
    input->values = options.values;
    input->templateValues = values;
    input->watch = options.watch;
    input->counters = options.counters;
    return true;
}

bool streamInto(const PreparedReport& report, QSqlDatabase db, const RunOptions& options,
                RenderedReport* look, HtmlSink& sink, ReportError* error)
{
    const ReadOnlyHold readOnly(db);
    if (db.isOpen() && !readOnly.isActive()) {
        *error = {ReportError::NoDatabase,
                  QStringLiteral("The report '%1' cannot be run: the database refused read-only "
                                 "access: %2")
                      .arg(QFileInfo(report.definition.path).fileName(), readOnly.error())};
        return false;
    }
    StreamInput input;
    return begin(report.definition, db, options, look, &input, error) &&
           streamReport(report.definition, report.layout, input, sink, error);
}

} // namespace

std::optional<PreparedReport> prepareReport(ReportDefinition definition, ReportError* error)
{
    TemplateFault fault;
    auto layout =
        parseTemplate(definition.layout, definition.layoutLine, definition.partials, &fault);
    if (!layout) {
        QString what = fault.text;
        *error = {fault.kind == TemplateFault::TooComplex ? ReportError::TooComplex
                                                          : ReportError::Malformed,
                  QStringLiteral("%1 is %2: in the template, %3.")
                      .arg(placeInFile(definition.path, fault.line),
                           fault.kind == TemplateFault::TooComplex ? QStringLiteral("too complex")
                                                                   : QStringLiteral("malformed"),
                           what)};
        return std::nullopt;
    }
    return PreparedReport{std::move(definition), std::move(*layout)};
}

RenderedReport describeReport(const ReportDefinition& definition, QDate today)
{
    RenderedReport look;
    look.title =
        definition.title.isEmpty() ? QFileInfo(definition.path).baseName() : definition.title;
    look.printed = today;
    look.style = definition.style;
    look.orientation = definition.orientation;
    look.pageNumbers = definition.pageNumbers;
    look.fitToPage = definition.fitToPage;
    return look;
}

bool runReport(const PreparedReport& report, QSqlDatabase db, const RunOptions& options,
               RenderedReport* look, PageSink& pages, ReportError* error)
{
    const auto outputFailed = [&] {
        *error = {ReportError::OutputFailed,
                  QStringLiteral("The report '%1' could not be written to the printer or file.")
                      .arg(look->title)};
        return false;
    };
    if (look->fitToPage) {
        TextSink text(kFittedLimit);
        if (!streamInto(report, db, options, look, text, error))
            return false;
        if (text.overflowed()) {
            *error = tooLarge(report.definition, kFittedLimit);
            return false;
        }
        auto document = newReportDocument(look->style);
        document->setHtml(text.html());
        return pages.addFitted(*document) || outputFailed();
    }
    // The pages are counted for the page limit even when nobody watches.
    StreamCounters counted;
    RunOptions run = options;
    if (!run.counters)
        run.counters = &counted;
    Paginator paginator(look->style, contentSize(*look), pages, run.counters);
    if (!streamInto(report, db, run, look, paginator, error))
        return false;
    return paginator.finish() || outputFailed();
}

std::optional<RenderedReport> renderReport(const ReportDefinition& definition, QSqlDatabase db,
                                           QDate today, ReportError* error)
{
    const auto prepared = prepareReport(definition, error);
    if (!prepared)
        return std::nullopt;
    RenderedReport look = describeReport(definition, today);
    RunOptions options;
    options.today = today;
    if (!resolveParameters(definition.parameters, {}, today, definition.path, &options.values,
                           &options.templateValues, error))
        return std::nullopt;
    TextSink text(kWholeLimit);
    if (!streamInto(*prepared, db, options, &look, text, error))
        return std::nullopt;
    if (text.overflowed()) {
        *error = tooLarge(definition, kWholeLimit);
        return std::nullopt;
    }
    look.html = std::move(text.html());
    return look;
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
