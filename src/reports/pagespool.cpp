#include "pagespool.h"

#include "pagepainter.h"

#include <QPainter>
#include <QTextDocument>

namespace velmora::reports {

PageSpool::PageSpool() : m_offsets{0} {}

bool PageSpool::append(const QPicture& picture)
{
    QMutexLocker lock(&m_mutex);
    if (!m_open) {
        m_open = m_file.open();
        if (!m_open)
            return false;
    }
    if (m_source && m_offsets.size() == 1)
        m_look = *m_source;
    const qint64 at = m_offsets.back();
    const QByteArray bytes(picture.data(), picture.size());
    if (!m_file.seek(at) || m_file.write(bytes) != bytes.size())
        return false;
    m_offsets.push_back(at + bytes.size());
    return true;
}

bool PageSpool::addPage(const PageContent& page, QSizeF pageSize, int)
{
    {
        QMutexLocker lock(&m_mutex);
        m_pageSize = pageSize;
    }
    QPicture picture;
    QPainter painter(&picture);
    page.paint(painter);
    painter.end();
    return append(picture);
}

bool PageSpool::addFitted(QTextDocument& document)
{
    const QSizeF area = pageLayout(look()).paintRect(QPageLayout::Point).size();
    {
        QMutexLocker lock(&m_mutex);
        m_pageSize = area;
    }
    QPicture picture;
    QPainter painter(&picture);
    paintFitted(painter, document, area);
    painter.end();
    return append(picture);
}

void PageSpool::setLook(const RenderedReport* look)
{
    QMutexLocker lock(&m_mutex);
    m_source = look;
    m_look = *look;
    m_pageSize = contentSize(*look);
}

RenderedReport PageSpool::look() const
{
    QMutexLocker lock(&m_mutex);
    return m_look;
}

int PageSpool::pageCount() const
{
    QMutexLocker lock(&m_mutex);
    return static_cast<int>(m_offsets.size()) - 1;
}

std::optional<QPicture> PageSpool::page(int index) const
{
    QMutexLocker lock(&m_mutex);
    if (index < 0 || index + 1 >= static_cast<int>(m_offsets.size()))
        return std::nullopt;
    const qint64 at = m_offsets[index];
    const qint64 size = m_offsets[index + 1] - at;
    if (!m_file.seek(at))
        return std::nullopt;
    const QByteArray bytes = m_file.read(size);
    if (bytes.size() != size)
        return std::nullopt;
    QPicture picture;
    picture.setData(bytes.constData(), static_cast<uint>(bytes.size()));
    return picture;
}

QSizeF PageSpool::pageSize() const
{
    QMutexLocker lock(&m_mutex);
    return m_pageSize;
}

void PageSpool::finish()
{
    QMutexLocker lock(&m_mutex);
    m_finished = true;
    m_source = nullptr;
}

bool PageSpool::isFinished() const
{
    QMutexLocker lock(&m_mutex);
    return m_finished;
}

bool SpoolOutput::open(const RenderedReport& look, ReportError*)
{
    m_spool->setLook(&look);
    return true;
}

bool SpoolOutput::close(bool complete, ReportError* error)
{
    m_spool->finish();
    if (!complete && error->number == 0)
        *error = {ReportError::OutputFailed,
                  QStringLiteral("The pages of the report could not be kept for the preview.")};
    return complete;
}

} // namespace velmora::reports
