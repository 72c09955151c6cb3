#include "DemoData.h"

#include "DemoVideos.h"
#include "Schema.h"
#include "TextHelpers.h"

#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringEncoder>

#include <map>
#include <stdexcept>

#include <unistd.h>

namespace demo {
namespace {

// Small deterministic generator, the same on every machine and library.
class Random {
public:
    explicit Random(quint64 seed)
        : m_state(seed) {}
    quint32 next() {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<quint32>(m_state >> 33);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<quint32>(n)); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T> const T& pick(const std::vector<T>& items) {
        return items[static_cast<size_t>(below(static_cast<int>(items.size())))];
    }

private:
    quint64 m_state;
};

const std::vector<QString> firstNames{
    QStringLiteral("João"),      QStringLiteral("José"),     QStringLiteral("Antônio"),
    QStringLiteral("Luíza"),     QStringLiteral("Márcia"),   QStringLiteral("Ângela"),
    QStringLiteral("Sérgio"),    QStringLiteral("Fábio"),    QStringLiteral("Cláudia"),
    QStringLiteral("Conceição"), QStringLiteral("Letícia"),  QStringLiteral("Vinícius"),
    QStringLiteral("Otávio"),    QStringLiteral("Patrícia"), QStringLiteral("Débora"),
    QStringLiteral("Mônica"),    QStringLiteral("Rafael"),   QStringLiteral("Bruna"),
    QStringLiteral("Thiago"),    QStringLiteral("Camila"),   QStringLiteral("Lúcio"),
    QStringLiteral("Inês"),      QStringLiteral("Cecília"),  QStringLiteral("Gonçalo")};
const std::vector<QString> surnames{
    QStringLiteral("Silva"),     QStringLiteral("Araújo"),    QStringLiteral("Gonçalves"),
    QStringLiteral("Conceição"), QStringLiteral("Magalhães"), QStringLiteral("Brandão"),
    QStringLiteral("Simões"),    QStringLiteral("Guimarães"), QStringLiteral("Pereira"),
    QStringLiteral("Assunção"),  QStringLiteral("Lacerda"),   QStringLiteral("Românio"),
    QStringLiteral("Sá"),        QStringLiteral("Falcão"),    QStringLiteral("Monteiro"),
    QStringLiteral("Loureiro"),  QStringLiteral("Müller"),    QStringLiteral("Nóbrega"),
    QStringLiteral("Quintão"),   QStringLiteral("Teixeira")};

struct Exercise {
    const char* code;
    const char* name;
    const char* shortName;
    const char* machine;
    char kind; // 'S' aerobic, 'N' strength
};

const std::vector<Exercise> exercises{
    {"001", "Supino reto com barra", "Supino reto", "101", 'N'},
    {"002", "Supino inclinado com halteres", "Supino incl.", "102", 'N'},
    {"003", "Crucifixo na máquina", "Crucifixo", "103", 'N'},
    {"004", "Puxada frontal aberta", "Puxada frente", "104", 'N'},
    {"005", "Remada baixa sentada", "Remada baixa", "105", 'N'},
    {"006", "Remada curvada com barra", "Remada curvada", "106", 'N'},
    {"007", "Desenvolvimento com halteres", "Desenvolvimento", "107", 'N'},
    {"008", "Elevação lateral", "Elev. lateral", "108", 'N'},
    {"009", "Rosca direta com barra W", "Rosca direta", "109", 'N'},
    {"010", "Rosca alternada", "Rosca altern.", "110", 'N'},
    {"011", "Tríceps na polia alta", "Tríceps polia", "111", 'N'},
    {"012", "Tríceps francês", "Tríceps franc.", "112", 'N'},
    {"013", "Agachamento livre", "Agachamento", "113", 'N'},
    {"014", "Leg press 45 graus", "Leg press", "114", 'N'},
    {"015", "Cadeira extensora", "Extensora", "115", 'N'},
    {"016", "Mesa flexora", "Flexora", "116", 'N'},
    {"017", "Cadeira abdutora", "Abdutora", "117", 'N'},
    {"018", "Cadeira adutora", "Adutora", "118", 'N'},
    {"019", "Panturrilha em pé", "Panturrilha", "119", 'N'},
    {"020", "Abdominal supra no solo", "Abdominal", "120", 'N'},
    {"021", "Prancha isométrica", "Prancha", "121", 'N'},
    {"022", "Stiff com halteres", "Stiff", "122", 'N'},
    {"023", "Elevação pélvica", "Elev. pélvica", "123", 'N'},
    {"024", "Pullover na polia", "Pullover", "124", 'N'},
    {"031", "Esteira ergométrica", "Esteira", "131", 'S'},
    {"032", "Bicicleta ergométrica", "Bicicleta", "132", 'S'},
    {"033", "Elíptico (transport)", "Elíptico", "133", 'S'},
    {"034", "Remo ergométrico", "Remo", "134", 'S'},
};

const std::vector<QString> staffNames{
    QStringLiteral("Ricardo Prado"), QStringLiteral("Fernanda Gusmão"),
    QStringLiteral("Paulo Sérgio Lima"), QStringLiteral("Juliana Antunes"),
    QStringLiteral("Marcos Vinícius Rocha")};

QString staffCode(int i) {
    return QStringLiteral("%1").arg(900 + i, 10, 10, QLatin1Char('0'));
}

class Writer {
public:
    Writer(const QString& file)
        : m_name(QStringLiteral("se-demo-") + file) {
        QFile::remove(file);
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        m_db.setDatabaseName(file);
        if (!m_db.open()) {
            throw std::runtime_error("cannot create " + file.toStdString() + ": " +
                                     m_db.lastError().text().toStdString());
        }
        exec(QStringLiteral("PRAGMA journal_mode = OFF"));
        exec(QStringLiteral("PRAGMA synchronous = OFF"));
        m_db.transaction();
    }
    ~Writer() {
        m_statements.clear();
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void exec(const QString& sql) {
        QSqlQuery q(m_db);
        if (!q.exec(sql)) {
            throw std::runtime_error(
                (sql + QStringLiteral(": ") + q.lastError().text()).toStdString());
        }
    }
    void createTables(schema::Database database) {
        for (const schema::Table* table : schema::tablesOf(database)) {
            for (const QString& statement :
                 schema::createTableSql(*table, schema::Dialect::SQLite)) {
                exec(statement);
            }
        }
    }
    // Inserts one row; values are bound in the order of columns.
    void insert(const QString& table, const QStringList& columns, const QVariantList& values) {
        QSqlQuery& q = prepared(table, columns);
        for (int i = 0; i < values.size(); ++i) {
            q.bindValue(i, values[i]);
        }
        if (!q.exec()) {
            throw std::runtime_error(
                ("insert into " + table + QStringLiteral(": ") + q.lastError().text())
                    .toStdString());
        }
    }
    void commit() {
        m_statements.clear();
        m_db.commit();
    }

private:
    QSqlQuery& prepared(const QString& table, const QStringList& columns) {
        const QString key = table + QLatin1Char('|') + columns.join(QLatin1Char(','));
        auto it = m_statements.find(key);
        if (it == m_statements.end()) {
            QSqlQuery q(m_db);
            QStringList marks;
            for (qsizetype i = 0; i < columns.size(); ++i) {
                marks << QStringLiteral("?");
            }
            q.prepare(
                QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
            it = m_statements.emplace(key, std::move(q)).first;
        }
        return it->second;
    }

    QString m_name;
    QSqlDatabase m_db;
    std::map<QString, QSqlQuery> m_statements;
};

QString memberName(Random& random) {
    QString name = random.pick(firstNames);
    const int parts = 1 + random.below(4); // some names run past 27 characters
    for (int i = 0; i < parts; ++i) {
        const QString& surname = random.pick(surnames);
        if (!name.contains(surname)) {
            name += QLatin1Char(' ') + surname;
        }
    }
    return name.left(35);
}

QByteArray photoOf(int member) {
    Random random(static_cast<quint64>(member) * 7919U);
    QImage image(120, 150, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(random.below(360), 60, 230));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromHsv(random.below(360), 140, 150));
    painter.drawEllipse(QRect(10, 100, 100, 90)); // shoulders
    painter.setBrush(
        QColor::fromHsv(20 + random.below(20), 80 + random.below(100), 120 + random.below(120)));
    painter.drawEllipse(QRect(33, 30, 54, 66)); // head
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPG", 85)) {
        throw std::runtime_error("the JPEG image writer is not available");
    }
    return bytes;
}

QVariantList weekdayFlags(Random& random) {
    QVariantList days;
    for (int i = 0; i < 7; ++i) {
        days << random.chance(45);
    }
    return days;
}

void writeSettings(Writer& w, const QString& folder) {
    // PORTA_IMP "TKT" is a plain file in the working folder: the demo prints its tickets there.
    const std::map<QString, QVariant> values{
        {QStringLiteral("ACADEMIA"), QStringLiteral("Academia Corpo & Movimento")},
        {QStringLiteral("ENDERACADEMIA"),
         QStringLiteral("Rua das Acácias, 1250 - Jardim São Paulo")},
        {QStringLiteral("CODIGOSEQ"), QStringLiteral("001")},
        {QStringLiteral("SAIDAALUNO"), 0},
        {QStringLiteral("CAMINHOCOPIA"), QString()},
        {QStringLiteral("PATH_EXERCICIO"), QStringLiteral("Não")},
        {QStringLiteral("COMPLEMENTO1"), QStringLiteral("Centro - Belo Horizonte - MG")},
        {QStringLiteral("COMPLEMENTO2"), QString()},
        {QStringLiteral("TEMPO_REAVALIACAO"), QStringLiteral("3")},
        {QStringLiteral("CNPJCPF"), QStringLiteral("12.345.678/0001-90")},
        {QStringLiteral("CAPTURA_WEB"), QStringLiteral("Não")},
        {QStringLiteral("ESPACO"), 3},
        {QStringLiteral("PORTA_IMP"), QStringLiteral("TKT")},
        {QStringLiteral("MSN_IMP"), QStringLiteral("Não")},
        {QStringLiteral("IMPRESSAOREDUZIDA"), QStringLiteral("Não")},
        {QStringLiteral("SERIEEMVIDEO"), QStringLiteral("Não")},
        {QStringLiteral("ENDERECO_PORTA"), QStringLiteral("378")},
        {QStringLiteral("POR_CODIGO_APARELHO"), false},
        {QStringLiteral("Tempo_Serie"), 60},
        {QStringLiteral("Caminho_Video"), QDir(folder).filePath(QStringLiteral("videos"))},
        {QStringLiteral("Terminal_Video_Aparelho"), QStringLiteral("Não")},
        {QStringLiteral("Caminho_Impressora"), QString()},
        {QStringLiteral("AlunosAtivos"), QStringLiteral("Sim")},
        {QStringLiteral("PINPAD"), QStringLiteral("NADA")},
        {QStringLiteral("STOPBIT"), QStringLiteral("1")},
        {QStringLiteral("VELOCIDADE"), 9600},
        {QStringLiteral("DATABIT"), QStringLiteral("8")},
        {QStringLiteral("PARIDADE"), QStringLiteral("NADA")},
        {QStringLiteral("Tec12USB"), QStringLiteral("Não")}};
    for (const auto& [name, value] : values) {
        schema::column(QStringLiteral("Secvar"), name); // throws for a column not in the catalogue
    }
    // The columns come from the catalogue; those the demo gives no value stay null.
    QStringList columns;
    QVariantList row;
    for (const schema::Column& column : schema::table(QStringLiteral("Secvar")).columns) {
        const auto value = values.find(column.name);
        columns << column.name;
        row << (value != values.end() ? value->second : QVariant());
    }
    w.insert(QStringLiteral("Secvar"), columns, row);
}

void writeOperators(Writer& w) {
    for (const Operator& op : operators()) {
        w.insert(QStringLiteral("Usuarios"),
                 {QStringLiteral("CODIGO"), QStringLiteral("NOME"), QStringLiteral("SENHA"),
                  QStringLiteral("IMP_SERIE_40")},
                 {op.code, op.name, op.password, op.right});
    }
}

void writeCatalogue(Writer& w, const QString& folder) {
    const std::vector<DemoVideo> videos = demoVideos(folder);
    for (size_t i = 0; i < exercises.size(); ++i) {
        const Exercise& e = exercises[i];
        w.insert(QStringLiteral("EXERCICIOS"),
                 {QStringLiteral("CODIGO"), QStringLiteral("DESCRICAO"),
                  QStringLiteral("DESCRICAOABREVIADA"), QStringLiteral("APARELHO"),
                  QStringLiteral("Caminho_Video"), QStringLiteral("TIPO")},
                 {QString::fromLatin1(e.code), QString::fromUtf8(e.name),
                  QString::fromUtf8(e.shortName), QString::fromLatin1(e.machine), videos[i].file,
                  QString(QLatin1Char(e.kind))});
    }
}

// Members, photos and staff: the member-side tables, present in both databases.
void writeMembers(Writer& w, const Options& options, bool activeTable) {
    Random random(2026);
    const QStringList memberColumns{QStringLiteral("MATRICULA"), QStringLiteral("NOME")};
    for (int n = 1; n <= options.members; ++n) {
        const QString enrolment = enrolmentOf(n);
        const QString name = memberName(random);
        const bool showcase = enrolment == showcaseMember();
        const bool active = random.chance(85) || showcase;
        const int drawn = random.below(20);
        const int photoKind = showcase ? 2 : drawn; // 0: no photo row, 1: null photo
        w.insert(QStringLiteral("ALUNOS"), memberColumns, {enrolment, name});
        if (activeTable && active) {
            w.insert(QStringLiteral("ALUNOSATIVOS"), memberColumns, {enrolment, name});
        }
        if (options.photos && photoKind != 0) {
            w.insert(QStringLiteral("FotosAlunos"),
                     {QStringLiteral("MATRICULA"), QStringLiteral("FOTO1")},
                     {enrolment, photoKind == 1 ? QVariant(QMetaType(QMetaType::QByteArray))
                                                : QVariant(photoOf(n))});
        }
    }
    if (options.workouts) {
        for (int i = 0; i < static_cast<int>(staffNames.size()); ++i) {
            w.insert(QStringLiteral("FUNCIONARIOS"),
                     {QStringLiteral("matricula"), QStringLiteral("nome")},
                     {staffCode(i + 1), staffNames[static_cast<size_t>(i)]});
        }
    }
}

void writePrescriptions(Writer& w, const Options& options) {
    Random random(1899);
    const QDate start(2026, 3, 2);
    std::vector<const Exercise*> strength;
    std::vector<const Exercise*> aerobic;
    for (const Exercise& e : exercises) {
        (e.kind == 'S' ? aerobic : strength).push_back(&e);
    }
    const QStringList treino =
        QStringList{QStringLiteral("MATRICULA"), QStringLiteral("CODIGO_EXERCICIO"),
                    QStringLiteral("PROFESSOR"), QStringLiteral("REPETICOES"),
                    QStringLiteral("REGULAGEM"), QStringLiteral("ORDEM"),
                    QStringLiteral("TREINO"),    QStringLiteral("SERIES"),
                    QStringLiteral("PESO"),      QStringLiteral("INTERVALO"),
                    QStringLiteral("OBS"),       QStringLiteral("DATA")} +
        schema::weekdayColumns() + QStringList{QStringLiteral("DATA_REAVALIACAO")};
    const QStringList aerobica =
        QStringList{QStringLiteral("MATRICULA"),         QStringLiteral("CODIGO_EXERCICIO"),
                    QStringLiteral("DURACAO"),           QStringLiteral("VELOCIDADE"),
                    QStringLiteral("NIVEL_DIFICULDADE"), QStringLiteral("DATA")} +
        schema::weekdayColumns();
    QStringList alongamento{QStringLiteral("Matricula"), QStringLiteral("Treino"),
                            QStringLiteral("Data"), QStringLiteral("Obs")};
    for (int i = 1; i <= 23; ++i) {
        alongamento << QStringLiteral("Alogamento_%1").arg(i, 2, 10, QLatin1Char('0'));
    }

    for (int n = 1; n <= options.members; ++n) {
        if (n % 10 == 0) {
            continue; // some members have no prescription at all
        }
        const QString enrolment = enrolmentOf(n);
        const bool showcase = enrolment == showcaseMember();
        const int drawn = 1 + random.below(5);
        const int workouts = showcase ? 5 : drawn;
        const int dates = 1 + random.below(2);
        for (int d = 0; d < dates; ++d) {
            const QDateTime when =
                start.addDays(n % 60 + 45 * d).startOfDay().addSecs(8 * 3600 + 60 * (n % 50));
            // One instructor in twelve has left the gym: the staff table no longer holds him.
            const QString teacher =
                n % 12 == 0 ? staffCode(99)
                            : staffCode(1 + random.below(static_cast<int>(staffNames.size())));
            for (int t = 0; t < workouts; ++t) {
                const QString letter = workoutLetter(t + 1);
                const QVariantList days = weekdayFlags(random);
                const int count = 4 + random.below(5);
                for (int order = 1; order <= count; ++order) {
                    const Exercise* e = random.pick(strength);
                    QVariantList row{enrolment,
                                     QString::fromLatin1(e->code),
                                     teacher,
                                     QStringLiteral("%1").arg(8 + 2 * random.below(4)),
                                     QString::number(1 + random.below(6)), // machine setting
                                     order,
                                     letter,
                                     QString::number(2 + random.below(3)),
                                     QString::number(5 * (1 + random.below(16))), // kg
                                     30 + 15 * random.below(4),
                                     order == 1 ? QStringLiteral("Cuidado com a postura")
                                                : QString(),
                                     when};
                    row += days;
                    row << when.addDays(90);
                    w.insert(QStringLiteral("TREINO"), treino, row);
                }
                QVariantList stretch{enrolment, letter, when,
                                     random.chance(50)
                                         ? QStringLiteral("Alongar antes e depois do treino")
                                         : QString()};
                for (int i = 0; i < 23; ++i) {
                    stretch << random.chance(30);
                }
                w.insert(QStringLiteral("ALONGAMENTO"), alongamento, stretch);
            }
            if (random.chance(60) || showcase) {
                const int rows = 1 + random.below(2);
                for (int r = 0; r < rows; ++r) {
                    QVariantList row{enrolment,
                                     QString::fromLatin1(random.pick(aerobic)->code),
                                     10 + 5 * random.below(5),
                                     5.0 + 0.5 * random.below(10),
                                     1.0 + random.below(8),
                                     when};
                    row += weekdayFlags(random);
                    w.insert(QStringLiteral("AEROBICA"), aerobica, row);
                }
            }
        }
    }
}

// Runs one statement on a database of a demo folder; returns the first column of the rows it
// selects.
QVariantList runOn(const QString& file, const QString& sql, const QVariantList& values) {
    const QString name = QStringLiteral("se-demo-change");
    QVariantList selected;
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        QSqlQuery query(db);
        if (!db.open() || !query.prepare(sql)) {
            failure = db.lastError().text() + query.lastError().text();
        } else {
            for (const QVariant& value : values) {
                query.addBindValue(value);
            }
            if (!query.exec()) {
                failure = query.lastError().text();
            }
            while (query.next()) {
                selected << query.value(0);
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty()) {
        throw std::runtime_error((sql + QStringLiteral(": ") + failure).toStdString());
    }
    return selected;
}

} // namespace

void changeSetting(const QString& folder, const QString& column, const QVariant& value) {
    runOn(QDir(folder).filePath(QStringLiteral("palendra.db")),
          QStringLiteral("UPDATE Secvar SET %1 = ?").arg(column), {value});
}

void switchSetting(const QString& folder, const QString& column, bool on) {
    changeSetting(folder, column, on ? QStringLiteral("Sim") : QStringLiteral("Não"));
}

const std::vector<Operator>& operators() {
    static const std::vector<Operator> all{
        {QStringLiteral("AD"), QStringLiteral("Administrador"), QStringLiteral("ADM123"),
         QStringLiteral("Sim")},
        {QStringLiteral("RE"), QStringLiteral("Recepção Manhã"), QStringLiteral("REC1"),
         QStringLiteral("Não")},
        {QStringLiteral("GE"), QStringLiteral("Gerência"), QStringLiteral("GER77"),
         QStringLiteral("Sim")},
        {QStringLiteral("ES"), QStringLiteral("Estagiário"), QStringLiteral("EST"), QString()},
        {QStringLiteral("VI"), QStringLiteral("Visitante"), QStringLiteral("VIS"),
         QStringLiteral("sim")},
    };
    return all;
}

QString showcaseMember() {
    return enrolmentOf(1);
}

std::vector<DemoVideo> demoVideos(const QString& folder) {
    // Each format in turn, so that the demo plays all of them.
    const QStringList formats{QStringLiteral("mp4"), QStringLiteral("wmv"), QStringLiteral("avi"),
                              QStringLiteral("webm")};
    const QDir videos(QDir(folder).filePath(QStringLiteral("videos")));
    std::vector<DemoVideo> all;
    for (size_t i = 0; i < exercises.size(); ++i) {
        const QString name = QStringLiteral("%1.%2").arg(QString::fromLatin1(exercises[i].code),
                                                         formats[static_cast<int>(i % 4)]);
        all.push_back({videos.absoluteFilePath(name), QString::fromUtf8(exercises[i].name)});
    }
    return all;
}

QString enrolmentOf(int n) {
    return QStringLiteral("%1").arg(1000 + n, 10, 10, QLatin1Char('0'));
}

void writeDataLinkFile(const QString& path, const QString& initString) {
    const QString text =
        QStringLiteral("[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n") +
        initString + QStringLiteral("\r\n");
    QByteArray bytes("\xFF\xFE", 2);
    bytes += QStringEncoder(QStringEncoder::Utf16LE).encode(text);
    const QFile::Permissions ownerAndGroup =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate, ownerAndGroup) ||
        !file.setPermissions(ownerAndGroup) || file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
    // The folder's group is the one that runs the terminal (se-kiosk for /etc/se). Only root or a
    // member of that group may hand the file over; otherwise it stays in the writer's own group.
    const QFileInfo folder(QFileInfo(path).absolutePath());
    [[maybe_unused]] const int handedOver =
        fchown(file.handle(), static_cast<uid_t>(-1), folder.groupId());
}

QStringList demoFilesIn(const QString& folder) {
    const QDir dir(folder);
    QStringList found;
    for (const QString& name : {QStringLiteral("palendra.db"), QStringLiteral("quorvel.db"),
                                QStringLiteral("Palendra.udl"), QStringLiteral("Quorvel.udl")}) {
        if (QFileInfo::exists(dir.filePath(name))) {
            found.append(name);
        }
    }
    return found;
}

DemoDatabases writeDemoDatabases(const QString& folder, const Options& options) {
    if (!QDir().mkpath(folder)) {
        throw std::runtime_error("cannot create the folder " + folder.toStdString());
    }
    const QDir dir(folder);
    DemoDatabases result{dir.filePath(QStringLiteral("palendra.db")),
                         dir.filePath(QStringLiteral("quorvel.db")), operators(), options.members};
    {
        Writer palendra(result.palendraFile);
        palendra.createTables(schema::Database::Palendra);
        writeSettings(palendra, dir.absolutePath());
        writeOperators(palendra);
        if (options.workouts) {
            writeCatalogue(palendra, dir.absolutePath());
            writePrescriptions(palendra, options);
        }
        writeMembers(palendra, options, false);
        palendra.commit();
    }
    {
        Writer quorvel(result.quorvelFile);
        quorvel.createTables(schema::Database::Quorvel);
        writeMembers(quorvel, options, true);
        quorvel.commit();
    }
    writeDataLinkFile(dir.filePath(QStringLiteral("Palendra.udl")),
                      QStringLiteral("Provider=SQLite;Data Source=palendra.db"));
    writeDataLinkFile(dir.filePath(QStringLiteral("Quorvel.udl")),
                      QStringLiteral("Provider=SQLite;Data Source=quorvel.db"));
    return result;
}

} // namespace demo
