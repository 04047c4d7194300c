#pragma once

#include <QPainter>

#include <functional>
#include <vector>

namespace velmora::reports {

// What one page of a report shows above its footer, in points from its top left: slices of
// laid out text documents and rows of tables, painted in the order they were added. A part
// leaves the painter's transform and clip as it found them.
class PageContent
{
public:
    using Part = std::function<void(QPainter&)>;

    void add(Part part) { m_parts.push_back(std::move(part)); }
    bool isEmpty() const { return m_parts.empty(); }

    void paint(QPainter& painter) const
    {
        for (const Part& part : m_parts)
            part(painter);
    }

private:
    std::vector<Part> m_parts;
};

} // namespace velmora::reports
