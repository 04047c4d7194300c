#include "confirmwork.h"

#include "dialogs.h"

namespace velmora {

bool confirmWork(Dialogs& dialogs, QWidget* parent, const WorkCount& count, const QString& question)
{
    return count.jobs == 0 ||
           dialogs.question(parent, question.arg(count.jobs).arg(count.owners), applicationTitle(),
                            Dialogs::Buttons::YesNoDefaultNo) == Dialogs::Answer::Yes;
}

} // namespace velmora
