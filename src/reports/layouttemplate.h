#pragma once

#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace velmora::reports {

// A mustache layout parsed into a tree, with the file's own partials put in place.
struct TemplateNode
{
    enum class Kind { Text, Value, RawValue, Section, Inverted };
    Kind kind = Kind::Text;
    QString text; // the text, or the name a tag looks up
    int line = 0; // line in the report file
    std::vector<TemplateNode> children;
};

// How large a layout may grow: the text of the template with every partial put in place,
// and how deeply sections (and partials) may nest.
inline constexpr qsizetype kMaxTemplateSize = 512 * 1024;
inline constexpr int kMaxNesting = 24;

struct TemplateFault
{
    enum Kind { Malformed, TooComplex };
    Kind kind = Malformed;
    int line = 0;
    QString text;
};

// A partial's text and the line where it starts in the file.
struct PartialSource
{
    QString text;
    int line = 0;
};

// Parses `text`, which starts at `line` of the file. `{{>name}}` includes the partial
// `name` from `partials` (those of the same file); an unknown partial is Malformed, one
// that includes itself (directly or through others), nesting deeper than kMaxNesting or
// a layout larger than kMaxTemplateSize is TooComplex. Supports values ({{x}}, {{{x}}},
// {{&x}}), sections, inverted sections, comments and delimiter changes.
std::optional<std::vector<TemplateNode>>
parseTemplate(const QString& text, int line, const std::map<QString, PartialSource>& partials,
              TemplateFault* fault);

// HTML-escapes `text` as the layouts' values are escaped.
void appendEscaped(QString& out, QStringView text);

} // namespace velmora::reports
