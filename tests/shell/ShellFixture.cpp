#include "ShellFixture.h"

#include "KioskWindow.h"
#include "TerminalApplication.h"

#include <QSqlError>

void changeDatabase(const QString& file, const QStringList& statements) {
    runStatements(QStringLiteral("QSQLITE"), file, statements);
}

void runStatements(const QString& driver, const QString& databaseName,
                   const QStringList& statements) {
    const QString name = QStringLiteral("test-change");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, name);
        db.setDatabaseName(databaseName);
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        for (const QString& statement : statements) {
            QSqlQuery query(db);
            ASSERT_TRUE(query.exec(statement))
                << statement.toStdString() << ": " << query.lastError().text().toStdString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

void ShellTest::SetUp() {
    ASSERT_TRUE(m_dir.isValid());
    demo::Options options;
    options.members = 3;
    options.workouts = false;
    options.photos = false;
    demo::writeDemoDatabases(m_dir.path(), options);
    // The count of wrong passwords is the test's own.
    qputenv("XDG_STATE_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("state"))));
    shell::clearTermination();
}

void ShellTest::TearDown() {
    main.reset();
    shell::clearTermination();
}

void ShellTest::createMainWindow() {
    main = std::make_unique<MainWindow>(folder(), openExerciseSheet);
    // The tests tick the clock themselves.
    main->clockTimer->stop();
}

void ShellTest::showMainWindow() {
    if (!main) {
        createMainWindow();
    }
    main->show();
}
