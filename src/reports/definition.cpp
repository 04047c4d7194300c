#include "definition.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <toml++/toml.h>
#include <vector>

namespace velmora::reports {

namespace {

// A fault in the file's content, at a line; thrown while the parsed file is walked.
struct Fault
{
    int line;
    QString text;
};

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int lineOf(const toml::node& node) { return static_cast<int>(node.source().begin.line); }

// Walks the parsed file into a ReportDefinition, refusing unknown or mistyped entries.
class Reader
{
public:
    explicit Reader(const QString& text) : m_lines(text.split(QLatin1Char('\n'))) {}

    ReportDefinition read(const toml::table& file)
    {
        ReportDefinition definition;
        bool hasLayout = false;
        for (auto&& [key, node] : file) {
            const QString name = fromUtf8(key.str());
            if (!node.is_table())
                throw Fault{lineOf(node), QStringLiteral("'%1' stands outside a section; settings "
                                                         "belong under [report], [data.<name>] "
                                                         "or [layout]")
                                              .arg(name)};
            const toml::table& table = *node.as_table();
            if (name == QLatin1String("report")) {
                readReport(table, definition);
            } else if (name == QLatin1String("data")) {
                definition.data = readSections(table, QStringLiteral("data"));
                for (DataSection& section : definition.data)
                    section.isTopLevel = true;
            } else if (name == QLatin1String("layout")) {
                readLayout(table, definition);
                hasLayout = true;
            } else if (name == QLatin1String("parameters")) {
                for (auto&& [parameterKey, parameter] : table)
                    definition.parameters.push_back(readParameter(
                        fromUtf8(parameterKey.str()),
                        tableOf(
                            parameter,
                            QStringLiteral("[parameters.%1]").arg(fromUtf8(parameterKey.str())))));
            } else {
                throw Fault{lineOf(node), QStringLiteral("unknown section [%1]; the sections are "
                                                         "[report], [parameters.<name>], "
                                                         "[data.<name>] and [layout]")
                                              .arg(name)};
            }
        }
        if (!hasLayout)
            throw Fault{1, QStringLiteral("there is no [layout] section with a template")};
        return definition;
    }

private:
    void readReport(const toml::table& table, ReportDefinition& definition)
    {
        for (auto&& [key, node] : table) {
            const QString name = fromUtf8(key.str());
            if (name == QLatin1String("title")) {
                definition.title = stringOf(node, name);
            } else if (name == QLatin1String("orientation")) {
                const QString value = stringOf(node, name);
                if (value == QLatin1String("portrait"))
                    definition.orientation = QPageLayout::Portrait;
                else if (value == QLatin1String("landscape"))
                    definition.orientation = QPageLayout::Landscape;
                else
                    throw Fault{lineOf(node), QStringLiteral("orientation must be \"portrait\" or "
                                                             "\"landscape\", not \"%1\"")
                                                  .arg(value)};
            } else if (name == QLatin1String("page-numbers")) {
                definition.pageNumbers = boolOf(node, name);
            } else if (name == QLatin1String("fit-to-page")) {
                definition.fitToPage = boolOf(node, name);
            } else if (name == QLatin1String("time-limit") ||
                       name == QLatin1String("query-time-limit")) { // its older name
                definition.timeLimit = int(wholeIn(node, name, 1, 3600));
            } else if (name == QLatin1String("row-limit")) {
                definition.rowLimit = wholeIn(node, name, 1, 1'000'000'000);
            } else if (name == QLatin1String("page-limit")) {
                definition.pageLimit = int(wholeIn(node, name, 1, 1'000'000));
            } else {
                throw unknown(node, name, QStringLiteral("[report]"));
            }
        }
    }

    void readLayout(const toml::table& table, ReportDefinition& definition)
    {
        bool hasTemplate = false;
        for (auto&& [key, node] : table) {
            const QString name = fromUtf8(key.str());
            if (name == QLatin1String("style")) {
                definition.style = stringOf(node, name);
            } else if (name == QLatin1String("template")) {
                definition.layout = stringOf(node, name);
                definition.layoutLine = contentLine(node);
                hasTemplate = true;
            } else if (name == QLatin1String("partials")) {
                for (auto&& [partialKey, partial] : tableOf(node, QStringLiteral("partials")))
                    definition.partials[fromUtf8(partialKey.str())] = {stringOf(partial, name),
                                                                       contentLine(partial)};
            } else {
                throw unknown(node, name, QStringLiteral("[layout]"));
            }
        }
        if (!hasTemplate)
            throw Fault{lineOfTable(table), QStringLiteral("[layout] has no template")};
    }

    static ParameterDefinition readParameter(const QString& name, const toml::table& table)
    {
        ParameterDefinition parameter;
        parameter.name = name;
        parameter.label = name;
        parameter.line = lineOfTable(table);
        const QString where = QStringLiteral("[parameters.%1]").arg(name);
        bool typed = false;
        for (auto&& [key, node] : table) {
            const QString setting = fromUtf8(key.str());
            if (setting == QLatin1String("label")) {
                parameter.label = stringOf(node, setting);
            } else if (setting == QLatin1String("default")) {
                parameter.defaultValue = stringOf(node, setting);
            } else if (setting == QLatin1String("type")) {
                const QString type = stringOf(node, setting);
                typed = true;
                if (type == QLatin1String("date"))
                    parameter.type = ParameterDefinition::Type::Date;
                else if (type == QLatin1String("date-range"))
                    parameter.type = ParameterDefinition::Type::DateRange;
                else if (type == QLatin1String("account-range"))
                    parameter.type = ParameterDefinition::Type::AccountRange;
                else
                    throw Fault{lineOf(node), QStringLiteral("type must be \"date\", "
                                                             "\"date-range\" or "
                                                             "\"account-range\", not \"%1\"")
                                                  .arg(type)};
            } else {
                throw unknown(node, setting, where);
            }
        }
        if (!typed)
            throw Fault{parameter.line, QStringLiteral("%1 has no type").arg(where)};
        if (parameter.defaultValue.isEmpty())
            parameter.defaultValue = parameter.type == ParameterDefinition::Type::Date
                                         ? QStringLiteral("today")
                                         : QStringLiteral("all");
        QString reason;
        if (!parseParameter(parameter, parameter.defaultValue, QDate::currentDate(), &reason))
            throw Fault{parameter.line, QStringLiteral("the default of %1: %2").arg(where, reason)};
        return parameter;
    }

    std::vector<DataSection> readSections(const toml::table& parent, const QString& parentPath)
    {
        std::vector<DataSection> sections;
        for (auto&& [key, node] : parent) {
            const QString name = fromUtf8(key.str());
            const QString path = parentPath + QLatin1Char('.') + name;
            if (parentPath == QLatin1String("data") || node.is_table())
                sections.push_back(
                    readSection(name, tableOf(node, QStringLiteral("[%1]").arg(path)), path));
        }
        return sections;
    }

    DataSection readSection(const QString& name, const toml::table& table, const QString& path)
    {
        DataSection section;
        section.name = name;
        const QString where = QStringLiteral("[%1]").arg(path);
        for (auto&& [key, node] : table) {
            const QString setting = fromUtf8(key.str());
            if (setting == QLatin1String("sql")) {
                section.sql = stringOf(node, setting);
                section.line = contentLine(node);
            } else if (setting == QLatin1String("money")) {
                section.money = listOf(node, setting);
            } else if (setting == QLatin1String("dates")) {
                section.dates = listOf(node, setting);
            } else if (!node.is_table()) {
                throw unknown(node, setting, where);
            }
        }
        if (section.sql.trimmed().isEmpty())
            throw Fault{lineOfTable(table), QStringLiteral("%1 has no sql query").arg(where)};
        section.children = readSections(table, path);
        return section;
    }

    static const toml::table& tableOf(const toml::node& node, const QString& what)
    {
        if (!node.is_table())
            throw Fault{lineOf(node), QStringLiteral("%1 must be a section").arg(what)};
        return *node.as_table();
    }

    static QString stringOf(const toml::node& node, const QString& name)
    {
        if (!node.is_string())
            throw Fault{lineOf(node), QStringLiteral("%1 must be a text in quotes").arg(name)};
        return fromUtf8(node.as_string()->get());
    }

    static std::int64_t wholeIn(const toml::node& node, const QString& name, std::int64_t lowest,
                                std::int64_t highest)
    {
        const auto number = node.value<std::int64_t>();
        if (!node.is_integer() || !number || *number < lowest || *number > highest)
            throw Fault{lineOf(node), QStringLiteral("%1 must be a whole number from %2 to %3")
                                          .arg(name)
                                          .arg(lowest)
                                          .arg(highest)};
        return *number;
    }

    static bool boolOf(const toml::node& node, const QString& name)
    {
        if (!node.is_boolean())
            throw Fault{lineOf(node), QStringLiteral("%1 must be true or false").arg(name)};
        return node.as_boolean()->get();
    }

    static QStringList listOf(const toml::node& node, const QString& name)
    {
        QStringList list;
        const toml::array* array = node.as_array();
        if (array && (array->empty() || array->is_homogeneous(toml::node_type::string))) {
            for (const toml::node& item : *array)
                list.append(fromUtf8(item.as_string()->get()));
            return list;
        }
        throw Fault{lineOf(node),
                    QStringLiteral("%1 must be a list of column names in quotes").arg(name)};
    }

    static Fault unknown(const toml::node& node, const QString& name, const QString& where)
    {
        return Fault{lineOf(node), QStringLiteral("unknown setting '%1' in %2").arg(name, where)};
    }

    // A section written as a header starts at its header; one written inline has no line.
    static int lineOfTable(const toml::table& table) { return std::max(1, lineOf(table)); }

    // The line of a text's first character: a multi-line text drops the line break that
    // follows its opening quotes.
    int contentLine(const toml::node& node) const
    {
        const int line = lineOf(node);
        const qsizetype column = static_cast<qsizetype>(node.source().begin.column) - 1;
        if (line < 1 || line > m_lines.size())
            return line;
        const QString rest = m_lines.at(line - 1).mid(column);
        const bool multiLine =
            rest.startsWith(QLatin1String("'''")) || rest.startsWith(QLatin1String("\"\"\""));
        return multiLine && rest.mid(3).trimmed().isEmpty() ? line + 1 : line;
    }

    QStringList m_lines;
};

QString malformed(const QString& path, int line, const QString& what)
{
    return QStringLiteral("%1 is malformed: %2.").arg(placeInFile(path, line), what);
}

} // namespace

QString placeInFile(const QString& path, int line)
{
    return QStringLiteral("The report file '%1', line %2")
        .arg(QDir::toNativeSeparators(path))
        .arg(line);
}

std::optional<ReportDefinition> loadDefinition(const QString& path, ReportError* error)
{
    QFile file(path);
    if (!QFileInfo(path).isFile()) {
        *error = {ReportError::FileMissing, QStringLiteral("The report file '%1' was not found.")
                                                .arg(QDir::toNativeSeparators(path))};
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *error = {ReportError::FileUnreadable,
                  QStringLiteral("The report file '%1' cannot be read: %2.")
                      .arg(QDir::toNativeSeparators(path), file.errorString())};
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    const QString text = QString::fromUtf8(bytes);
    try {
        const toml::table parsed =
            toml::parse(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                        path.toStdString());
        ReportDefinition definition = Reader(text).read(parsed);
        definition.path = path;
        return definition;
    } catch (const toml::parse_error& fault) {
        *error = {ReportError::Malformed,
                  malformed(path, static_cast<int>(fault.source().begin.line),
                            fromUtf8(fault.description()))};
    } catch (const Fault& fault) {
        *error = {ReportError::Malformed, malformed(path, fault.line, fault.text)};
    }
    return std::nullopt;
}

} // namespace velmora::reports
