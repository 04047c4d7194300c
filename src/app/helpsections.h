#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace velmora {

// A screen (by its class, without the namespace) and the heading of the manual's section
// that tells how to use it.
struct HelpSection
{
    const char* screen;
    QString heading;
};

// Every screen that has a section of its own in the manual.
const QList<HelpSection>& helpSections();

// The heading of the section about `window`: its own, else that of the window that owns
// it, up to the main window's; empty when none of them has one.
QString helpSectionOf(const QWidget* window);

} // namespace velmora
