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
    const QScopedValueRollback returning(m_returning, true);
    field->setFocus(Qt::OtherFocusReason);
}

void FieldEvents::watch(QWidget* field)
{
    if (!m_enter.contains(field) && !m_leave.contains(field))
        field->installEventFilter(this);
}

bool FieldEvents::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut)
        return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return false;
    if (event->type() == QEvent::FocusIn) {
        if (const auto handler = m_enter.value(watched))
            handler();
    } else if (!m_returning) {
        if (const auto handler = m_leave.value(watched))
            handler();
    }
    return false;
}

} // namespace velmora
