#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace velmora {

// A screen or a part of one (by its class, without the namespace) and the heading of the
// manual's section that tells how to use it.
struct HelpSection
{
    const char* screen;
    QString heading;
};

// Every screen and part of a screen that has a section of its own in the manual.
const QList<HelpSection>& helpSections();

// The heading of the section about `widget`: that of the nearest of it, the widgets that
// hold it, its window and the windows that own that one; empty when none has one.
QString helpSectionOf(const QWidget* widget);

} // namespace velmora
