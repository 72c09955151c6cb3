#pragma once

// The kiosk's databases on a PostgreSQL server of the benchmark's own, reached through its ODBC
// driver as a chain's central server is: members, photos and staff in the training database.
#include "DemoData.h"
#include "PostgresServer.h"
#include "Schema.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <stdexcept>

namespace bench {

// The member every benchmark looks up; he has a photo.
inline const QString member = QStringLiteral("0000424242");

// A 640 x 480 photo of about 40 KB, as a camera at the front desk takes them.
inline QByteArray cameraPhoto() {
    QImage image(640, 480, QImage::Format_RGB32);
    QRandomGenerator random(7);
    QPainter painter(&image);
    image.fill(QColor(170, 200, 190));
    for (int i = 0; i < 400; ++i) {
        painter.fillRect(int(random.bounded(640)), int(random.bounded(480)), 24, 18,
                         QColor::fromHsv(int(random.bounded(360)), 90, 200));
    }
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 80);
    return bytes;
}

inline void run(QSqlDatabase& db, const QString& statement, const QVariantList& values = {}) {
    QSqlQuery query(db);
    query.prepare(statement);
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        throw std::runtime_error((statement + ": " + query.lastError().text()).toStdString());
    }
}

struct PostgresDatabases {
    struct Options {
        int members = 1000;
        // Every photoEvery-th enrolment number has the member's photo too (0: none).
        int photoEvery = 0;
        // The logins the server accepts at once (0: its default).
        int maxConnections = 0;
    };

    explicit PostgresDatabases(const Options& options) {
        if (options.maxConnections > 0) {
            server.setSetting(QStringLiteral("max_connections"),
                              QString::number(options.maxConnections));
        }
        server.create(QStringLiteral("palendra"));
        const QString name = QStringLiteral("bench-postgres");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
            db.setDatabaseName(server.odbcConnectionString());
            if (!db.open()) {
                throw std::runtime_error(db.lastError().text().toStdString());
            }
            for (const schema::Table* table : schema::tablesOf(schema::Database::Palendra)) {
                for (const QString& statement :
                     schema::createTableSql(*table, schema::Dialect::PostgreSQL)) {
                    run(db, statement);
                }
            }
            run(db,
                "INSERT INTO ALUNOS (MATRICULA, NOME) SELECT lpad(g::text, 10, '0'), "
                "'Membro ' || g FROM generate_series(1, ?) AS g WHERE g <> 424242",
                {options.members});
            run(db,
                "INSERT INTO ALUNOS (MATRICULA, NOME) VALUES (?, 'Conceição Aparecida Ribeiro')",
                {member});
            run(db, "CREATE INDEX IF NOT EXISTS alunos_matricula ON ALUNOS (MATRICULA)");
            run(db, "CREATE INDEX IF NOT EXISTS fotos_matricula ON FotosAlunos (MATRICULA)");
            run(db, "INSERT INTO FotosAlunos (MATRICULA, FOTO1) VALUES (?, ?)",
                {member, cameraPhoto()});
            if (options.photoEvery > 0) {
                // The server copies the photo: one round trip however many members.
                run(db,
                    "INSERT INTO FotosAlunos (MATRICULA, FOTO1) SELECT lpad(g::text, 10, '0'), "
                    "FOTO1 FROM FotosAlunos, generate_series(?::int, ?::int, ?::int) AS g WHERE "
                    "MATRICULA = ? "
                    "AND g <> 424242",
                    {options.photoEvery, options.members, options.photoEvery, member});
            }
            run(db, "INSERT INTO Secvar (PATH_EXERCICIO, AlunosAtivos, PINPAD, SERIEEMVIDEO, "
                    "Terminal_Video_Aparelho, PORTA_IMP, ENDERECO_PORTA, ESPACO, "
                    "POR_CODIGO_APARELHO, IMPRESSAOREDUZIDA, CAPTURA_WEB) VALUES ('Sim', 'Não', "
                    "'NADA', 'Não', 'Não', 'TKT', '378', 0, FALSE, 'Não', 'Não')");
            run(db, "ANALYZE");
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        for (const QString& file :
             {QStringLiteral("Palendra.udl"), QStringLiteral("Quorvel.udl")}) {
            demo::writeDataLinkFile(QDir(folder.path()).filePath(file),
                                    QStringLiteral("Provider=MSDASQL;Extended Properties=\"%1\"")
                                        .arg(server.odbcConnectionString()));
        }
    }

    PostgresServer server;
    QTemporaryDir folder;
};

} // namespace bench
