#include "KioskPostgres.h"

#include "DataLink.h"
#include "Schema.h"

#include <QDir>

void KioskPostgres::SetUp() {
    const QString reason = PostgresServer::unavailableReason();
    if (!reason.isEmpty()) {
        GTEST_SKIP() << reason.toStdString();
    }
    KioskTest::SetUp();
    server.create(QStringLiteral("palendra"));
    QStringList tables;
    for (const schema::Table* table : schema::tablesOf(schema::Database::Palendra)) {
        tables << schema::createTableSql(*table, schema::Dialect::PostgreSQL);
    }
    onServer(tables + knownPrescriptions() + knownMembers(QStringLiteral("ALUNOS")) +
             QStringList{QStringLiteral(
                 "INSERT INTO Secvar (PATH_EXERCICIO, AlunosAtivos, PINPAD, SERIEEMVIDEO, "
                 "Terminal_Video_Aparelho, PORTA_IMP, ENDERECO_PORTA, ESPACO, "
                 "POR_CODIGO_APARELHO, IMPRESSAOREDUZIDA) VALUES ('Sim', 'Não', 'NADA', 'Não', "
                 "'Não', 'TKT', '378', 0, FALSE, 'Não')")});
    writeDataLink(QStringLiteral("Palendra.udl"));
    writeDataLink(QStringLiteral("Quorvel.udl"));
}

void KioskPostgres::writeDataLink(const QString& file, int throughPort) {
    demo::writeDataLinkFile(QDir(folder()).filePath(file),
                            QStringLiteral("Provider=MSDASQL;Extended Properties=\"%1\"")
                                .arg(server.odbcConnectionString(throughPort)));
}

void KioskPostgres::onServer(const QStringList& statements) {
    runStatements(QStringLiteral("QODBC"), server.odbcConnectionString(), statements);
}

void KioskPostgres::setServerSetting(const QString& column, const QString& sqlValue) {
    onServer({QStringLiteral("UPDATE Secvar SET %1 = %2").arg(column, sqlValue)});
}
