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
    const QString link = QStringLiteral("Provider=MSDASQL;Extended Properties=\"%1\"")
                             .arg(server.odbcConnectionString());
    for (const char* file : {"Palendra.udl", "Quorvel.udl"}) {
        demo::writeDataLinkFile(QDir(folder()).filePath(QString::fromLatin1(file)), link);
    }
}

void KioskPostgres::onServer(const QStringList& statements) {
    runStatements(QStringLiteral("QODBC"), server.odbcConnectionString(), statements);
}

void KioskPostgres::setServerSetting(const QString& column, const QString& sqlValue) {
    onServer({QStringLiteral("UPDATE Secvar SET %1 = %2").arg(column, sqlValue)});
}
