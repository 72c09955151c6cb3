#pragma once

#include "KioskFixture.h"
#include "PostgresServer.h"

// The kiosk against a real database server that goes away and comes back: a PostgreSQL server of
// the test's own holding both databases (members, photos and staff in the training database),
// reached through its ODBC driver. Skipped where the server cannot run.
class KioskPostgres : public KioskTest {
protected:
    void SetUp() override;

    // Runs statements on the server's database.
    void onServer(const QStringList& statements);
    // Sets one column of the server's settings record.
    void setServerSetting(const QString& column, const QString& sqlValue);

    PostgresServer server;
};
