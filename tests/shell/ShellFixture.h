#pragma once

#include "DemoData.h"
#include "MainWindow.h"
#include "Recorders.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

// Runs action on the modal window of type T as soon as it is the active one. Gives up (and fails
// the test) when none comes within five seconds.
template <typename T> void onModal(std::function<void(T&)> action, int waitedMs = 0) {
    QTimer::singleShot(5, qApp, [action = std::move(action), waitedMs]() mutable {
        if (auto* window = dynamic_cast<T*>(QApplication::activeModalWidget())) {
            action(*window);
        } else if (waitedMs < 5000) {
            onModal<T>(std::move(action), waitedMs + 5);
        } else {
            ADD_FAILURE() << "the expected modal window never came";
        }
    });
}

// True when no window of type T exists: the modal windows are freed once they close.
template <typename T> bool noWindowOf() {
    const QWidgetList widgets = QApplication::allWidgets();
    return std::none_of(widgets.begin(), widgets.end(),
                        [](QWidget* widget) { return dynamic_cast<T*>(widget) != nullptr; });
}

// Changes the test's own copy of a demo database with plain SQL.
void changeDatabase(const QString& file, const QStringList& statements);
// Runs plain SQL on a database of the test's own, through a Qt SQL driver.
void runStatements(const QString& driver, const QString& databaseName,
                   const QStringList& statements);

// A folder of demo databases for one test, with the main window created and shown on it.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the demo databases; call changeDatabase on palendraFile() before showMainWindow.
    QString folder() const { return m_dir.path(); }
    QString palendraFile() const { return m_dir.filePath(QStringLiteral("palendra.db")); }
    void createMainWindow();
    void showMainWindow();
    // The status panel 1 text of an operator.
    static QString operatorPanel(const QString& name) { return QStringLiteral("Usuário: ") + name; }

    QTemporaryDir m_dir;
    MessageRecorder messages;
    PauseRecorder pauses;
    std::unique_ptr<MainWindow> main;
};
