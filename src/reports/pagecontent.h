#pragma once

#include <QPainter>

#include <functional>
#include <vector>

namespace velmora::reports {

// What one page of a report shows above its footer, in points from its top left: slices of
// laid out text documents and rows of tables, painted in the order they were added.
class PageContent
{
public:
    using Part = std::function<void(QPainter&)>;

    void add(Part part) { m_parts.push_back(std::move(part)); }
    bool isEmpty() const { return m_parts.empty(); }

    void paint(QPainter& painter) const
    {
        for (const Part& part : m_parts) {
            painter.save();
            part(painter);
            painter.restore();
        }
    }

private:
    std::vector<Part> m_parts;
};

} // namespace velmora::reports
