#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

class QWidget;

namespace velmora {

class Dialogs;

// The values of every field under a widget (text fields, drop-downs, tick boxes and text
// areas, found afresh each time, so fields added later count too), remembered when the
// screen last showed stored values, so that closing can tell whether anything was typed
// since.
class FieldSnapshot
{
public:
    explicit FieldSnapshot(const QWidget* root, QList<const QWidget*> ignored = {});

    // Remembers every field's value as it stands.
    void take();
    // True when a field holds something other than when take() last ran.
    bool differs() const;

private:
    QHash<const QWidget*, QString> values() const;

    const QWidget* m_root;
    QList<const QWidget*> m_ignored;
    QHash<const QWidget*, QString> m_taken;
};

// Before a screen closes: when `changed`, asks `question` with Yes, No and Cancel; Yes
// runs `save`. True when the screen may close (nothing changed, No, or a save that
// worked).
bool mayLeave(Dialogs& dialogs, QWidget* screen, bool changed, const QString& question,
              const std::function<bool()>& save);

} // namespace velmora
