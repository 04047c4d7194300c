#pragma once

#include <QHash>
#include <QObject>

#include <functional>

class QWidget;

namespace velmora {

// Runs a screen's handlers when the operator enters or leaves one of its fields. A leave
// handler runs every time the focus leaves its field, whether the text changed or not.
// Focus that merely passes to a message box, a drop-down or another window does not count,
// and neither do the fields the focus leaves while a handler runs or returnFocus() moves it
// (when the screen puts the focus back, say); enter handlers still run then.
class FieldEvents final : public QObject
{
public:
    explicit FieldEvents(QObject* parent) : QObject(parent) {}

    // `handler` runs each time `field` gains the focus.
    void onEnter(QWidget* field, std::function<void()> handler);
    // `handler` runs each time the focus leaves `field`.
    void onLeave(QWidget* field, std::function<void()> handler);
    // Moves the focus into `field` without running any leave handler on the way; the enter
    // handler of `field` still runs.
    void returnFocus(QWidget* field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QWidget* field);
    // Runs `handler` (when there is one) with the leave handlers held back.
    void run(const std::function<void()>& handler);

    QHash<QObject*, std::function<void()>> m_enter;
    QHash<QObject*, std::function<void()>> m_leave;
    bool m_holding = false;
};

} // namespace velmora
