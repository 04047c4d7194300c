#pragma once

#include "paginator.h"
#include "renderer.h"
#include "reportjob.h"

#include <QMutex>
#include <QPicture>
#include <QSizeF>
#include <QTemporaryFile>

#include <memory>
#include <optional>
#include <vector>

namespace velmora::reports {

// The pages of a report kept on disk as they are laid out, for a preview that shows the
// first page at once and draws each later one when it is asked for. Written by the run's
// thread and read by the window's; memory holds only the index.
class PageSpool final : public PageSink
{
public:
    PageSpool();

    bool addPage(const PageContent& page, QSizeF pageSize, int total) override;
    bool addFitted(QTextDocument& document) override;
    // The preview shows each page at once and the total when the report is complete.
    bool wantsTotal() const override { return false; }

    // The look the pages are painted with; read again when the first page arrives, by
    // which time it names the firm.
    void setLook(const RenderedReport* look);
    RenderedReport look() const;
    int pageCount() const;
    // The content of page `index` (from 0) in points, without its footer; nullopt when the
    // page is not there (yet).
    std::optional<QPicture> page(int index) const;
    // The size of a page's content area in points.
    QSizeF pageSize() const;

    // Marks the report complete: pageCount() is then the total.
    void finish();
    bool isFinished() const;

private:
    bool append(const QPicture& picture);

    mutable QMutex m_mutex;
    mutable QTemporaryFile m_file;
    std::vector<qint64> m_offsets; // where each page starts, and one past the last
    const RenderedReport* m_source = nullptr;
    RenderedReport m_look;
    QSizeF m_pageSize;
    bool m_open = false;
    bool m_finished = false;
};

// A report run into a PageSpool shared with whoever shows it.
class SpoolOutput final : public ReportOutput
{
public:
    explicit SpoolOutput(std::shared_ptr<PageSpool> spool) : m_spool(std::move(spool)) {}
    bool open(const RenderedReport& look, ReportError* error) override;
    PageSink& pages() override { return *m_spool; }
    bool close(bool complete, ReportError* error) override;

private:
    std::shared_ptr<PageSpool> m_spool;
};

} // namespace velmora::reports
