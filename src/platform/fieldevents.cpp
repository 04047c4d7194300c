#include "fieldevents.h"

#include <QFocusEvent>
#include <QScopedValueRollback>
#include <QWidget>

namespace velmora {

void FieldEvents::onEnter(QWidget* field, std::function<void()> handler)
{
    watch(field);
    m_enter.insert(field, std::move(handler));
}

void FieldEvents::onLeave(QWidget* field, std::function<void()> handler)
{
    watch(field);
    m_leave.insert(field, std::move(handler));
}

void FieldEvents::returnFocus(QWidget* field)
{
    const QScopedValueRollback holding(m_holding, true);
    field->setFocus(Qt::OtherFocusReason);
}

void FieldEvents::watch(QWidget* field)
{
    if (m_enter.contains(field) || m_leave.contains(field))
        return;
    field->installEventFilter(this);
    connect(field, &QObject::destroyed, this, [this, field] {
        m_enter.remove(field);
        m_leave.remove(field);
    });
}

void FieldEvents::run(const std::function<void()>& handler)
{
    if (!handler)
        return;
    const QScopedValueRollback holding(m_holding, true);
    handler();
}

bool FieldEvents::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut)
        return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return false;
    if (event->type() == QEvent::FocusIn)
        run(m_enter.value(watched));
    else if (!m_holding)
        run(m_leave.value(watched));
    return false;
}

} // namespace velmora
