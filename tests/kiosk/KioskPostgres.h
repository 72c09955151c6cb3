#pragma once

#include "KioskFixture.h"
#include "PostgresServer.h"

// The kiosk against a real database server that goes away and comes back: a PostgreSQL server of
// the test's own holding both databases (members, photos and staff in the training database),
// reached through its ODBC driver. Skipped where the server cannot run.
class KioskPostgres : public KioskTest {
protected:
    void SetUp() override;

    // Points a data-link file at the server, through another port of 127.0.0.1 when one is given.
    void writeDataLink(const QString& file, int throughPort = 0);
    // Runs statements on the server's database.
    void onServer(const QStringList& statements);
    // Sets one column of the server's settings record.
    void setServerSetting(const QString& column, const QString& sqlValue);

    PostgresServer server;
};
