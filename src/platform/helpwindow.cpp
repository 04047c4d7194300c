#include "helpwindow.h"

#include "manualfiles.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QKeySequence>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBlock>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace velmora {

HelpWindow::HelpWindow(const QString& folder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_folder(folder), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("frmhelp"));
    setWindowTitle(tr("Velmora Manual"));
    m_browser->setObjectName(QStringLiteral("txtmanual"));
    m_browser->setOpenExternalLinks(true);
    m_browser->setSearchPaths({folder});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(1040, 680); // the widest picture, within a 1366x768 desktop
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this,
            &QWidget::close);
}

bool HelpWindow::showSection(const QString& section)
{
    const QString page = manualPage(m_folder);
    if (!QFileInfo(page).isFile()) {
        m_browser->setPlainText(tr("The manual cannot be found: %1 is missing.").arg(page));
        return false;
    }
    const QUrl url = QUrl::fromLocalFile(page);
    if (m_browser->source() != url)
        m_browser->setSource(url, QTextDocument::MarkdownResource);
    QTextDocument* document = m_browser->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0 || block.text() != section)
            continue;
        QTextCursor cursor(block);
        m_browser->setTextCursor(cursor);
        const qreal top = document->documentLayout()->blockBoundingRect(block).top();
        m_browser->verticalScrollBar()->setValue(int(top));
        return true;
    }
    m_browser->verticalScrollBar()->setValue(0);
    return section.isEmpty();
}

QString HelpWindow::currentSection() const
{
    const QTextBlock at = m_browser->textCursor().block();
    for (QTextBlock block = at; block.isValid(); block = block.previous()) {
        if (block.blockFormat().headingLevel() > 0)
            return block.text();
    }
    return {};
}

HelpWindow* openHelp(QPointer<HelpWindow>& help, QWidget* owner, const QString& section)
{
    if (!help) {
        help = new HelpWindow(manualFolder(), owner);
        help->setAttribute(Qt::WA_DeleteOnClose);
    }
    help->show();
    help->raise();
    help->activateWindow();
    help->showSection(section);
    return help;
}

} // namespace velmora
