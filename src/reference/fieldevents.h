#pragma once

#include <QHash>
#include <QObject>
#include <functional>

class QWidget;

namespace velmora {

// Runs a screen's handlers when the operator enters or leaves one of its fields. Focus
// that merely passes to a message box, a drop-down or another program does not count,
// and neither do the fields the focus crosses while returnFocus() moves it.
class FieldEvents final : public QObject
{
public:
    explicit FieldEvents(QObject* parent) : QObject(parent) {}

    // `handler` runs each time `field` gains the focus.
    void onEnter(QWidget* field, std::function<void()> handler);
    // `handler` runs each time the focus leaves `field`, whether its text changed or not.
    void onLeave(QWidget* field, std::function<void()> handler);
    // Moves the focus into `field` without running the leave handler of the field it
    // comes from; the enter handler of `field` still runs.
    void returnFocus(QWidget* field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QWidget* field);

    QHash<QObject*, std::function<void()>> m_enter;
    QHash<QObject*, std::function<void()>> m_leave;
    bool m_returning = false;
};

} // namespace velmora
