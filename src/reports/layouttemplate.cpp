#include "layouttemplate.h"

#include <QStringList>

#include <algorithm>

namespace velmora::reports {

namespace {

struct Fault
{
    TemplateFault fault;
};

class Parser
{
public:
    explicit Parser(const std::map<QString, PartialSource>& partials) : m_partials(partials) {}

    std::vector<TemplateNode> parse(const QString& text, int line, int depth)
    {
        m_size += text.size();
        if (m_size > kMaxTemplateSize)
            throw Fault{{TemplateFault::TooComplex, line,
                         QStringLiteral("the template, with its partials, is larger than %1 KB")
                             .arg(kMaxTemplateSize / 1024)}};
        QString open = QStringLiteral("{{");
        QString close = QStringLiteral("}}");
        std::vector<TemplateNode> root;
        // The open sections: the list being filled at each level, with the tag that opened
        // it (null for the top).
        std::vector<std::pair<std::vector<TemplateNode>*, TemplateNode*>> stack{{&root, nullptr}};
        qsizetype at = 0;
        int currentLine = line;
        const auto advanceTo = [&](qsizetype to) {
            currentLine += static_cast<int>(std::count(text.begin() + at, text.begin() + to, '\n'));
            at = to;
        };
        while (at < text.size()) {
            const qsizetype tag = text.indexOf(open, at);
            const qsizetype textEnd = tag < 0 ? text.size() : tag;
            if (textEnd > at)
                stack.back().first->push_back(
                    {TemplateNode::Kind::Text, text.mid(at, textEnd - at), currentLine, {}});
            advanceTo(textEnd);
            if (tag < 0)
                break;
            const int tagLine = currentLine;
            qsizetype contentStart = tag + open.size();
            const bool triple = open == QLatin1String("{{") && contentStart < text.size() &&
                                text.at(contentStart) == QLatin1Char('{');
            const QString closing = triple ? QStringLiteral("}}}") : close;
            const qsizetype end = text.indexOf(closing, contentStart);
            if (end < 0)
                throw Fault{{TemplateFault::Malformed, tagLine, QStringLiteral("unclosed tag")}};
            QString content = text.mid(contentStart, end - contentStart);
            advanceTo(end + closing.size());
            if (triple) {
                add(stack, TemplateNode::Kind::RawValue, content.mid(1).trimmed(), tagLine);
                continue;
            }
            const QChar sigil = content.isEmpty() ? QChar() : content.at(0);
            const QString name = content.mid(1).trimmed();
            switch (sigil.unicode()) {
            case '!':
                break;
            case '&':
                add(stack, TemplateNode::Kind::RawValue, name, tagLine);
                break;
            case '#':
            case '^': {
                if (static_cast<int>(stack.size()) + depth > kMaxNesting)
                    throw tooDeep(tagLine);
                auto& list = *stack.back().first;
                list.push_back({sigil == QLatin1Char('#') ? TemplateNode::Kind::Section
                                                          : TemplateNode::Kind::Inverted,
                                name,
                                tagLine,
                                {}});
                stack.push_back({&list.back().children, &list.back()});
                break;
            }
            case '/':
                if (!stack.back().second || stack.back().second->text != name)
                    throw Fault{{TemplateFault::Malformed, tagLine,
                                 QStringLiteral("unopened section \"%1\"").arg(name)}};
                stack.pop_back();
                break;
            case '>':
                includePartial(*stack.back().first, name, tagLine,
                               depth + static_cast<int>(stack.size()));
                break;
            case '=': {
                const QStringList delimiters =
                    content.mid(1, content.size() - 2).simplified().split(QLatin1Char(' '));
                if (!content.endsWith(QLatin1Char('=')) || delimiters.size() != 2)
                    throw Fault{{TemplateFault::Malformed, tagLine,
                                 QStringLiteral("a delimiter change needs two delimiters")}};
                open = delimiters.at(0);
                close = delimiters.at(1);
                break;
            }
            default:
                add(stack, TemplateNode::Kind::Value, content.trimmed(), tagLine);
            }
        }
        if (stack.size() > 1)
            throw Fault{{TemplateFault::Malformed, stack.back().second->line,
                         QStringLiteral("unclosed section \"%1\"").arg(stack.back().second->text)}};
        return root;
    }

private:
    using Stack = std::vector<std::pair<std::vector<TemplateNode>*, TemplateNode*>>;

    static void add(Stack& stack, TemplateNode::Kind kind, const QString& name, int line)
    {
        stack.back().first->push_back({kind, name, line, {}});
    }

    static Fault tooDeep(int line)
    {
        return Fault{
            {TemplateFault::TooComplex, line,
             QStringLiteral("sections and partials nest more than %1 deep").arg(kMaxNesting)}};
    }

    void includePartial(std::vector<TemplateNode>& into, const QString& name, int line, int depth)
    {
        const auto partial = m_partials.find(name);
        if (partial == m_partials.end())
            throw Fault{{TemplateFault::Malformed, line,
                         QStringLiteral("the partial \"%1\" is not defined in this file; "
                                        "define it under [layout.partials]")
                             .arg(name)}};
        if (std::find(m_including.begin(), m_including.end(), name) != m_including.end())
            throw Fault{{TemplateFault::TooComplex, line,
                         QStringLiteral("the partial \"%1\" includes itself").arg(name)}};
        if (depth >= kMaxNesting)
            throw tooDeep(line);
        m_including.push_back(name);
        std::vector<TemplateNode> nodes = parse(partial->second.text, partial->second.line, depth);
        m_including.pop_back();
        std::move(nodes.begin(), nodes.end(), std::back_inserter(into));
    }

    const std::map<QString, PartialSource>& m_partials;
    std::vector<QString> m_including;
    qsizetype m_size = 0;
};

} // namespace

std::optional<std::vector<TemplateNode>>
parseTemplate(const QString& text, int line, const std::map<QString, PartialSource>& partials,
              TemplateFault* fault)
{
    try {
        return Parser(partials).parse(text, line, 0);
    } catch (const Fault& caught) {
        *fault = caught.fault;
        return std::nullopt;
    }
}

void appendEscaped(QString& out, QStringView text)
{
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '\'':
            out += QLatin1String("&apos;");
            break;
        default:
            out += c;
        }
    }
}

} // namespace velmora::reports
