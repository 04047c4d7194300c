#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QSqlDatabase>

#include <memory>

class QMenu;
class QTimer;

namespace velmora {

class BoardActions;
class BoardModel;
class BoardView;
class ChangeFeed;
class Dialogs;
class HelpWindow;
class KeyStore;
class ReportEngine;
class frmjob_management;

// The main window ("Current Jobs"): the board of outstanding jobs and the menus from
// which every other screen is opened. It lives from login to the end of the program;
// closing it ends the program, after asking when screens are open.
class frmmain final : public QMainWindow
{
    Q_OBJECT

public:
    // Builds the window and the board; call load_board() (as start() does) to fill it.
    frmmain(QSqlDatabase db, Dialogs& dialogs, QWidget* parent = nullptr);
    ~frmmain() override;

    // The window's opening: headings, then the board, with the support message when
    // the board cannot be read.
    void start();

    // Clears the grid and sets its eleven columns and headings; true when done.
    bool set_board_headings();
    // Rebuilds the board from the database; false (after the board's own message where
    // there is one) when the grid or the jobs could not be read.
    bool load_board();

    // Reads the board again without a box (a fault goes to the status line), keeping the
    // current job current: for changes other desks make, which are read together when they
    // come close together.
    void refreshBoard();

    // The fault that stopped the last rebuild of the board, on lines of its own after the
    // caller's message; empty when it was read whole.
    QString boardFault() const;

    // Opens "Expiring Documents" when a vehicle or driver document has run out or runs out
    // within the firm's warning horizon: once, after login.
    void showExpiringDue();
    // The logged-in operator's level: "Audit Trail" is open to the highest level only.
    void setOperatorLevel(const QString& level);

    BoardModel* board() const { return m_model; }

    // A new job screen whose adds and updates rebuild this board; the caller opens it.
    frmjob_management* jobScreen();

    // The engine the window prints through, and a way to replace it (tests script it).
    ReportEngine& reports() const { return *m_reports; }
    void setReportEngine(std::unique_ptr<ReportEngine> engine);

    // Opens the manual (once) at the section of the window `about` (of the part of it that
    // has the focus), or of this window when it has none, and brings it forward.
    HelpWindow* showHelp(const QWidget* about);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Asks before leaving with screens open, then closes them; false when the operator
    // or a screen with unsaved changes keeps them open.
    bool closeScreens();
    void buildMenus();
    // Follows the connection to a server database: while it is lost the board, the menus
    // that work on the firm and every open screen are closed to changes, and the status
    // lines say so.
    void followServer();
    void setConnected(bool connected, const QString& text);
    void openExpiringDocuments();
    void buildBookingsMenu();
    void buildAdministrationMenu();
    void buildManagementMenu();
    void buildAccountsMenu();
    void buildReportingMenu();
    void buildHelpMenu();
    // Disables `action`, an entry that only writes, while the database is open read-only.
    QAction* writer(QAction* action) const;
    // Adds an entry that prints the report `fileName` to `destination`.
    void addReport(QMenu* menu, const QString& caption, const QString& fileName, int destination);
    void showAbout();
    QString systemInfo() const;

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    BoardModel* m_model;
    BoardView* m_view;
    BoardActions* m_actions = nullptr;
    ChangeFeed* m_feed;
    QTimer* m_refresh; // gathers the changes that arrive close together into one read
    std::unique_ptr<ReportEngine> m_reports;
    std::unique_ptr<KeyStore> m_keys; // the desktop's, for the mail server's password
    QString m_fault;                  // of the last rebuild of the board
    QPointer<HelpWindow> m_help;
    QAction* m_auditTrail = nullptr;
};

} // namespace velmora
