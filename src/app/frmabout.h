#pragma once

#include <QDialog>

namespace velmora {

class Dialogs;

// The About window: what the program is, and the system details on request.
class frmAbout final : public QDialog
{
    Q_OBJECT

public:
    // `systemInfo` is the text "&System Info..." shows.
    frmAbout(Dialogs& dialogs, QString systemInfo, QWidget* parent = nullptr);

private:
    void showSystemInfo();

    Dialogs& m_dialogs;
    QString m_systemInfo;
};

} // namespace velmora
