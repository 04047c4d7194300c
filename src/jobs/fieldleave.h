#pragma once

#include <QHash>
#include <QObject>

#include <functional>

class QWidget;

namespace velmora {

// Runs a screen's "when the field is left" handlers every time the focus leaves a field,
// whether its text changed or not. Focus that passes to a message box, a drop-down or
// another window does not count, and neither does the focus crossing fields while a
// handler runs (when it puts the focus back, say).
class FieldLeave final : public QObject
{
public:
    explicit FieldLeave(QObject* parent) : QObject(parent) {}

    void watch(QWidget* field, std::function<void()> handler);
    // Moves the focus to `field` without running any leave handler on the way.
    void moveFocus(QWidget* field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHash<QObject*, std::function<void()>> m_handlers;
    bool m_running = false;
};

} // namespace velmora
