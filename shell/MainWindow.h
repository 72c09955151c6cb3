#pragma once

#include "Database.h"
#include "OperatorSession.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <vector>

class QAction;
class QLabel;
class QMdiArea;
class QMenuBar;
class QStatusBar;
class QTimer;
class QToolButton;

class MainWindow;

// Shows the exercise sheet modally over the main window; returns once it has closed.
using SheetOpener = std::function<void(MainWindow& owner)>;

// The main window: stays maximised behind everything, owns the two database connections, keeps
// the clock, the marquee and the database heartbeat, and opens the other windows modally.
class MainWindow : public QMainWindow {
public:
    // dataLinkFolder holds Palendra.udl and Quorvel.udl. Creating the window opens the
    // connection to the Palendra database. The menu's sheet item opens the sheet through
    // openSheet.
    MainWindow(const QString& dataLinkFolder, SheetOpener openSheet, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The folder of Palendra.udl and Quorvel.udl.
    const QString& dataLinkFolder() const { return m_dataLinkFolder; }

    // The operator's session, which the main window keeps for the whole run.
    OperatorSession& session() { return m_session; }

    // Asks for an operator's login and shows who logged in; a login given up closes the window,
    // which ends the program. True when an operator logged in.
    bool logIn();

    // The status bar's four panels: marquee, operator, date, time.
    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);

    // What the menu items, the button and the timer do.
    void requestSheet();
    void showAbout();
    void requestExit();
    void changeOperator();
    void tick();

    // How far the exit warnings went: 0 none, 1 told to close the sheets, 2 asked and closing.
    int exitWarnings() const { return m_exitWarnings; }

    Connection trainingDb;
    Connection memberDb;
    TableDataSet settings;
    KeyedTable operators;

    QMdiArea* mdiArea = nullptr;
    QLabel* background = nullptr;
    QLabel* marquee = nullptr;
    QStatusBar* statusPanels = nullptr;
    QWidget* shortcutPanel = nullptr;
    QToolButton* changeOperatorButton = nullptr;
    QMenuBar* menu = nullptr;
    QAction* sheetAction = nullptr;
    QAction* aboutAction = nullptr;
    QAction* exitAction = nullptr;
    QTimer* clockTimer = nullptr;

    // The support line that runs through panel 0, 55 characters.
    static QString supportLine();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_exitWarnings = 0;
    void createMenu();
    void createStatusBar();
    void createShortcutPanel();
    void firstShown();
    bool openConnections();
    bool checkSettings();
    bool openOperators();
    bool heartbeat();
    void reconnectUntilReached();
    void showDatabaseMessage();
    // The rights check of a sheet request; true when the sheet may open.
    bool sheetAllowed();
    void openSheet();
    // What follows the sheet's close: the menu item back, the logged-in operator shown again.
    void sheetClosed();
    // Puts the logged-in operator back once no sheet is open; false when his record is locked.
    bool backToOperator();
    void showOperator(const QString& name);

    QString m_dataLinkFolder;
    OperatorSession m_session;
    SheetOpener m_openSheet;
    std::vector<QLabel*> m_panels;
    bool m_databasesReached = false; // showing the window opened both connections
};
