#include "fieldleave.h"

#include <QFocusEvent>
#include <QWidget>

namespace velmora {

void FieldLeave::watch(QWidget* field, std::function<void()> handler)
{
    m_handlers.insert(field, std::move(handler));
    field->installEventFilter(this);
    connect(field, &QObject::destroyed, this, [this, field] { m_handlers.remove(field); });
}

void FieldLeave::moveFocus(QWidget* field)
{
    const bool running = m_running;
    m_running = true;
    field->setFocus(Qt::OtherFocusReason);
    m_running = running;
}

bool FieldLeave::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && !m_running) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        const auto handler = m_handlers.constFind(watched);
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
            handler != m_handlers.cend()) {
            const std::function<void()> leave = *handler;
            m_running = true;
            leave();
            m_running = false;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace velmora
