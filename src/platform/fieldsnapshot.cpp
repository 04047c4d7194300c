#include "fieldsnapshot.h"

#include "dialogs.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <algorithm>
#include <optional>

namespace velmora {

namespace {

// The value of an input field as text; nullopt for a widget that holds none.
std::optional<QString> valueOf(const QWidget* widget)
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->text();
    if (const auto* list = qobject_cast<const QComboBox*>(widget))
        return list->currentText();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        if (button->isCheckable())
            return button->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
        return std::nullopt;
    }
    if (const auto* area = qobject_cast<const QPlainTextEdit*>(widget))
        return area->toPlainText();
    if (const auto* area = qobject_cast<const QTextEdit*>(widget))
        return area->toPlainText();
    return std::nullopt;
}

} // namespace

FieldSnapshot::FieldSnapshot(const QWidget* root, QList<const QWidget*> ignored)
    : m_root(root), m_ignored(std::move(ignored))
{
}

void FieldSnapshot::take() { m_taken = values(); }

bool FieldSnapshot::differs() const { return values() != m_taken; }

QHash<const QWidget*, QString> FieldSnapshot::values() const
{
    QHash<const QWidget*, QString> all;
    for (const QWidget* widget : m_root->findChildren<const QWidget*>()) {
        // An editable drop-down's own text field is read through the drop-down.
        const bool ignored =
            m_ignored.contains(widget) ||
            (qobject_cast<const QComboBox*>(widget->parentWidget()) &&
             qobject_cast<const QLineEdit*>(widget)) ||
            std::any_of(m_ignored.begin(), m_ignored.end(),
                        [widget](const QWidget* skip) { return skip->isAncestorOf(widget); });
        if (ignored)
            continue;
        if (const auto value = valueOf(widget))
            all.insert(widget, *value);
    }
    return all;
}

bool mayLeave(Dialogs& dialogs, QWidget* screen, bool changed, const QString& question,
              const std::function<bool()>& save)
{
    if (!changed)
        return true;
    switch (dialogs.question(screen, question, applicationTitle(), Dialogs::Buttons::YesNoCancel)) {
    case Dialogs::Answer::Yes:
        return save();
    case Dialogs::Answer::No:
        return true;
    default:
        return false;
    }
}

} // namespace velmora
