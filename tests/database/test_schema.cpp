#include "Schema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

TEST(Schema, SettingsRecordHasEveryColumnInOrder) {
    const schema::Table& secvar = schema::table("SECVAR");
    ASSERT_EQ(secvar.columns.size(), 35u);
    EXPECT_EQ(secvar.columns.front().name, "ACADEMIA");
    EXPECT_EQ(secvar.columns.back().name, "Tec12USB");
    // The login dialog declares ACADEMIA to POR_CODIGO_APARELHO, the kiosk Tempo_Serie to Tec12USB.
    EXPECT_EQ(schema::columnRange("Secvar", "ACADEMIA", "POR_CODIGO_APARELHO").size(), 23);
    EXPECT_EQ(schema::columnRange("Secvar", "tempo_serie", "TEC12USB").size(), 11);
    EXPECT_EQ(schema::column("secvar", "caminho_impressora").width, 500);
    EXPECT_THROW(schema::column("Secvar", "NOPE"), std::out_of_range);
}

TEST(Schema, StretchingTableHasTwentyThreeExercises) {
    const schema::Table& stretching = schema::table("alongamento");
    EXPECT_EQ(stretching.columns.size(), 5u + 23u);
    EXPECT_EQ(schema::column("ALONGAMENTO", "Alogamento_01").type, schema::ColumnType::Boolean);
    EXPECT_EQ(schema::column("ALONGAMENTO", "Alogamento_23").type, schema::ColumnType::Boolean);
}

TEST(Schema, EachDatabaseHoldsItsTables) {
    auto names = [](schema::Database db) {
        QStringList list;
        for (const schema::Table* t : schema::tablesOf(db)) {
            list << t->name;
        }
        return list;
    };
    EXPECT_EQ(names(schema::Database::Quorvel),
              QStringList({"ALUNOS", "ALUNOSATIVOS", "FotosAlunos", "FUNCIONARIOS"}));
    EXPECT_TRUE(names(schema::Database::Palendra).contains("Secvar"));
    EXPECT_TRUE(names(schema::Database::Palendra).contains("ALUNOS"));
    EXPECT_FALSE(names(schema::Database::Palendra).contains("ALUNOSATIVOS"));
}

TEST(Schema, GeneratedSqliteDdlCreatesTablesReadableInAnyCase) {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "schema-test");
    db.setDatabaseName(":memory:");
    ASSERT_TRUE(db.open());
    {
        QSqlQuery q(db);
        for (const schema::Table& t : schema::tables()) {
            for (const QString& statement : schema::createTableSql(t, schema::Dialect::SQLite)) {
                ASSERT_TRUE(q.exec(statement))
                    << statement.toStdString() << q.lastError().text().toStdString();
            }
        }
        EXPECT_TRUE(q.exec("SELECT matricula, NOME FROM alunos"));
        EXPECT_TRUE(q.exec("SELECT Matricula, TREINO, alogamento_23 FROM Alongamento"));
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase("schema-test");
}

TEST(Schema, DialectsUseTheirOwnTypes) {
    const schema::Table& fotos = schema::table("FotosAlunos");
    EXPECT_TRUE(
        schema::createTableSql(fotos, schema::Dialect::PostgreSQL).front().contains("FOTO1 BYTEA"));
    EXPECT_TRUE(schema::createTableSql(fotos, schema::Dialect::SqlServer)
                    .front()
                    .contains("FOTO1 VARBINARY(MAX)"));
    EXPECT_TRUE(schema::createTableSql(fotos, schema::Dialect::SqlServer)
                    .front()
                    .contains("MATRICULA NVARCHAR(10)"));
    const QString alongamento =
        schema::createTableSql(schema::table("ALONGAMENTO"), schema::Dialect::PostgreSQL).front();
    EXPECT_TRUE(alongamento.contains("ID SERIAL PRIMARY KEY"));
}
