#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QTextBrowser;

namespace velmora {

// The manual in a window of the program: its pages from `folder` in a text browser, with
// links between them and their pictures. Escape closes it.
class HelpWindow final : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(const QString& folder, QWidget* parent = nullptr);

    // Shows the manual's first page at the heading `section` (its top when empty); false
    // when the manual or the heading cannot be found (the page is shown from its top).
    bool showSection(const QString& section);

    // The heading of the section shown at the top of the window, empty before any.
    QString currentSection() const;

    QTextBrowser* browser() const { return m_browser; }

private:
    QString m_folder;
    QTextBrowser* m_browser;
};

// Opens the manual in `help` (a window owned by `owner`, made when there is none yet) at
// the heading `section` and brings it forward.
HelpWindow* openHelp(QPointer<HelpWindow>& help, QWidget* owner, const QString& section);

} // namespace velmora
