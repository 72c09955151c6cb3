#include "Schema.h"

#include <stdexcept>

namespace schema {
namespace {

Column text(const char* name, int width) {
    return {QString::fromLatin1(name), ColumnType::Text, width};
}
Column of(const char* name, ColumnType type) {
    return {QString::fromLatin1(name), type, 0};
}

std::vector<Column> weekdays() {
    std::vector<Column> days;
    for (const QString& day : weekdayColumns()) {
        days.push_back({day, ColumnType::Boolean, 0});
    }
    return days;
}

template <typename... More> std::vector<Column> join(std::vector<Column> first, More... more) {
    (first.insert(first.end(), more.begin(), more.end()), ...);
    return first;
}

std::vector<Column> secvar() {
    using enum ColumnType;
    return {text("ACADEMIA", 35),
            text("ENDERACADEMIA", 40),
            text("CODIGOSEQ", 3),
            of("SAIDAALUNO", SmallInt),
            text("CAMINHOCOPIA", 45),
            text("PATH_EXERCICIO", 3),
            text("COMPLEMENTO1", 40),
            text("COMPLEMENTO2", 40),
            text("TEMPO_REAVALIACAO", 2),
            text("CNPJCPF", 40),
            text("CAPTURA_WEB", 3),
            of("ESPACO", Integer),
            text("PORTA_IMP", 4),
            text("SMTP_PROVEDOR", 30),
            text("NOME_PROVEDOR", 30),
            text("EMAIL_PROVEDOR", 30),
            text("USERNAME", 30),
            text("PASSWORD", 30),
            text("MSN_IMP", 3),
            text("IMPRESSAOREDUZIDA", 3),
            text("SERIEEMVIDEO", 3),
            text("ENDERECO_PORTA", 4),
            of("POR_CODIGO_APARELHO", Boolean),
            of("LOGOACADEMIA1", Blob),
            of("Tempo_Serie", Integer),
            text("Caminho_Video", 500),
            text("Terminal_Video_Aparelho", 3),
            text("Caminho_Impressora", 500),
            text("AlunosAtivos", 3),
            text("PINPAD", 4),
            text("STOPBIT", 1),
            of("VELOCIDADE", Integer),
            text("DATABIT", 1),
            text("PARIDADE", 5),
            text("Tec12USB", 3)};
}

std::vector<Column> alongamento() {
    using enum ColumnType;
    std::vector<Column> columns{of("ID", AutoIncrement), text("Matricula", 10), text("Treino", 1),
                                of("Data", DateTime), of("Obs", Memo)};
    for (int i = 1; i <= 23; ++i) {
        columns.push_back(
            {QStringLiteral("Alogamento_%1").arg(i, 2, 10, QLatin1Char('0')), Boolean, 0});
    }
    return columns;
}

std::vector<Table> makeCatalogue() {
    using enum ColumnType;
    const QStringList byMatricula{QStringLiteral("MATRICULA")};
    return {
        {QStringLiteral("Secvar"), Database::Palendra, secvar(), {}},
        {QStringLiteral("Usuarios"),
         Database::Palendra,
         {text("CODIGO", 2), text("NOME", 18), text("SENHA", 6), text("IMP_SERIE_40", 3)},
         {QStringLiteral("CODIGO")}},
        {QStringLiteral("EXERCICIOS"),
         Database::Palendra,
         {text("CODIGO", 3), text("DESCRICAO", 35), text("DESCRICAOABREVIADA", 15),
          text("APARELHO", 3), text("Caminho_Video", 500), text("TIPO", 1)},
         {QStringLiteral("CODIGO"), QStringLiteral("APARELHO")}},
        {QStringLiteral("TREINO"), Database::Palendra,
         join(std::vector<Column>{text("MATRICULA", 10), text("CODIGO_EXERCICIO", 3),
                                  text("PROFESSOR", 10), text("REPETICOES", 11),
                                  text("REGULAGEM", 11), of("ORDEM", SmallInt), text("TREINO", 1),
                                  text("SERIES", 2), text("PESO", 11), of("INTERVALO", SmallInt),
                                  text("OBS", 30), of("DATA", DateTime)},
              weekdays(), std::vector<Column>{of("DATA_REAVALIACAO", DateTime)}),
         byMatricula},
        {QStringLiteral("AEROBICA"), Database::Palendra,
         join(std::vector<Column>{text("MATRICULA", 10), text("CODIGO_EXERCICIO", 3),
                                  of("DURACAO", SmallInt), of("VELOCIDADE", Float),
                                  of("NIVEL_DIFICULDADE", Float), of("DATA", DateTime)},
              weekdays()),
         byMatricula},
        {QStringLiteral("ALONGAMENTO"),
         Database::Palendra,
         alongamento(),
         {QStringLiteral("Matricula")}},
        {QStringLiteral("ALUNOS"),
         Database::Both,
         {text("MATRICULA", 10), text("NOME", 35)},
         byMatricula},
        {QStringLiteral("ALUNOSATIVOS"),
         Database::Quorvel,
         {text("MATRICULA", 10), text("NOME", 35)},
         byMatricula},
        {QStringLiteral("FotosAlunos"),
         Database::Both,
         {text("MATRICULA", 10), of("FOTO1", Blob)},
         byMatricula},
        {QStringLiteral("FUNCIONARIOS"),
         Database::Both,
         {text("matricula", 10), text("nome", 35)},
         {QStringLiteral("matricula")}},
    };
}

QString sqlType(const Column& column, Dialect dialect) {
    const bool sqlServer = dialect == Dialect::SqlServer;
    const bool postgres = dialect == Dialect::PostgreSQL;
    switch (column.type) {
    case ColumnType::Text:
        return (sqlServer ? QStringLiteral("NVARCHAR(%1)") : QStringLiteral("VARCHAR(%1)"))
            .arg(column.width);
    case ColumnType::Integer:
        return QStringLiteral("INTEGER");
    case ColumnType::SmallInt:
        return QStringLiteral("SMALLINT");
    case ColumnType::Float:
        return sqlServer ? QStringLiteral("FLOAT") : QStringLiteral("DOUBLE PRECISION");
    case ColumnType::Boolean:
        return sqlServer ? QStringLiteral("BIT") : QStringLiteral("BOOLEAN");
    case ColumnType::DateTime:
        return sqlServer ? QStringLiteral("DATETIME") : QStringLiteral("TIMESTAMP");
    case ColumnType::Blob:
        return sqlServer  ? QStringLiteral("VARBINARY(MAX)")
               : postgres ? QStringLiteral("BYTEA")
                          : QStringLiteral("BLOB");
    case ColumnType::Memo:
        return sqlServer ? QStringLiteral("NVARCHAR(MAX)") : QStringLiteral("TEXT");
    case ColumnType::AutoIncrement:
        return sqlServer  ? QStringLiteral("INT IDENTITY(1,1) PRIMARY KEY")
               : postgres ? QStringLiteral("SERIAL PRIMARY KEY")
                          : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    }
    return {};
}

} // namespace

const QStringList& weekdayColumns() {
    static const QStringList days{
        QStringLiteral("DOM"), QStringLiteral("SEG"), QStringLiteral("TER"), QStringLiteral("QUA"),
        QStringLiteral("QUI"), QStringLiteral("SEX"), QStringLiteral("SAB")};
    return days;
}

const std::vector<Table>& tables() {
    static const std::vector<Table> catalogue = makeCatalogue();
    return catalogue;
}

const Table& table(const QString& name) {
    for (const Table& t : tables()) {
        if (t.name.compare(name, Qt::CaseInsensitive) == 0) {
            return t;
        }
    }
    throw std::out_of_range("no table " + name.toStdString() + " in the catalogue");
}

const Column& column(const QString& tableName, const QString& columnName) {
    for (const Column& c : table(tableName).columns) {
        if (c.name.compare(columnName, Qt::CaseInsensitive) == 0) {
            return c;
        }
    }
    throw std::out_of_range("no column " + columnName.toStdString() + " in table " +
                            tableName.toStdString());
}

QStringList columnRange(const QString& tableName, const QString& first, const QString& last) {
    QStringList names;
    bool inside = false;
    for (const Column& c : table(tableName).columns) {
        inside = inside || c.name.compare(first, Qt::CaseInsensitive) == 0;
        if (inside) {
            names << c.name;
        }
        if (inside && c.name.compare(last, Qt::CaseInsensitive) == 0) {
            return names;
        }
    }
    throw std::out_of_range("no column range " + first.toStdString() + ".." + last.toStdString());
}

QStringList createTableSql(const Table& t, Dialect dialect) {
    QStringList columns;
    for (const Column& c : t.columns) {
        columns << c.name + QLatin1Char(' ') + sqlType(c, dialect);
    }
    QStringList statements{
        QStringLiteral("CREATE TABLE %1 (%2)").arg(t.name, columns.join(QStringLiteral(", ")))};
    for (const QString& key : t.indexed) {
        statements << QStringLiteral("CREATE INDEX IX_%1_%2 ON %1 (%2)").arg(t.name, key);
    }
    return statements;
}

std::vector<const Table*> tablesOf(Database database) {
    std::vector<const Table*> result;
    for (const Table& t : tables()) {
        if (t.database == database || t.database == Database::Both) {
            result.push_back(&t);
        }
    }
    return result;
}

} // namespace schema
