#include "KioskTables.h"

#include "MainWindow.h"
#include "Messages.h"
#include "Schema.h"

namespace {

const QString yes = QStringLiteral("Sim");

// The settings the kiosk and the windows it opens read. Declared, a record from an older back
// office that lacks one fails the opening instead of the first read of it.
QStringList settingsColumns() {
    QStringList columns{QStringLiteral("ACADEMIA"),
                        QStringLiteral("LOGOACADEMIA1"),
                        QStringLiteral("PATH_EXERCICIO"),
                        QStringLiteral("TEMPO_REAVALIACAO"),
                        QStringLiteral("ENDERACADEMIA"),
                        QStringLiteral("COMPLEMENTO1"),
                        QStringLiteral("PORTA_IMP"),
                        QStringLiteral("ESPACO"),
                        QStringLiteral("MSN_IMP"),
                        QStringLiteral("IMPRESSAOREDUZIDA"),
                        QStringLiteral("SERIEEMVIDEO"),
                        QStringLiteral("ENDERECO_PORTA"),
                        QStringLiteral("POR_CODIGO_APARELHO")};
    return columns + schema::columnRange(QStringLiteral("Secvar"), QStringLiteral("Tempo_Serie"),
                                         QStringLiteral("Tec12USB"));
}

// Runs a look-up's statement with one parameter.
void lookUp(CommandDataSet& seek, const QString& sql, const QString& parameter,
            const QString& value) {
    seek.close();
    seek.setCommandText(sql);
    seek.setParameter(parameter, value);
    seek.open();
}

} // namespace

KioskTables::KioskTables(MainWindow& owner)
    : m_owner(owner) {
    settings.setConnection(&owner.trainingDb);
    settings.setTableName(QStringLiteral("Secvar"));
    settings.setDeclaredColumns(settingsColumns());
    exerciseLookup.setConnection(&owner.trainingDb);
    members.setDeclaredColumns({QStringLiteral("MATRICULA"), QStringLiteral("NOME")});
}

QString KioskTables::setting(const QString& field) const {
    return settings.fieldText(field);
}

bool KioskTables::openSettings() {
    try {
        settings.open();
    } catch (const DatabaseError&) {
        return false;
    }
    // Every setting is read from the first row: without one the kiosk cannot serve.
    return !settings.eof();
}

bool KioskTables::openTables() {
    if (!openSettings()) {
        showMessage(MessageKind::Information, msg::AberturaDeTabela, QStringLiteral("Controle"));
        return false;
    }
    Connection* connection = &m_owner.memberDb;
    QString memberTable = setting(QStringLiteral("AlunosAtivos")) == yes
                              ? QStringLiteral("ALUNOSATIVOS")
                              : QStringLiteral("ALUNOS");
    if (setting(QStringLiteral("PATH_EXERCICIO")) == yes) {
        connection = &m_owner.trainingDb;
        memberTable = QStringLiteral("ALUNOS");
    }
    for (DataSet* seek : std::initializer_list<DataSet*>{&members, &photoLookup, &staffLookup}) {
        seek->keepConnection(connection);
    }
    members.setTableName(memberTable);
    return openTableOrSay(members, QStringLiteral("Alunos"));
}

void KioskTables::close() {
    for (DataSet* dataSet : std::initializer_list<DataSet*>{&exerciseLookup, &members, &settings}) {
        dataSet->close();
    }
}

std::optional<QString> KioskTables::memberName(const QString& enrolment) {
    if (!members.locate(QStringLiteral("MATRICULA"), enrolment)) {
        return std::nullopt;
    }
    return members.fieldText(QStringLiteral("NOME"));
}

RowField<QByteArray> KioskTables::memberPhoto(const QString& enrolment) {
    lookUp(photoLookup, QStringLiteral("SELECT * FROM FotosAlunos WHERE MATRICULA = :MATRICULA"),
           QStringLiteral("MATRICULA"), enrolment);
    RowField<QByteArray> photo;
    photo.found = !photoLookup.eof();
    QByteArray jpeg;
    if (photo.found && !photoLookup.isNull(QStringLiteral("FOTO1")) &&
        readBlob(photoLookup, QStringLiteral("FOTO1"), jpeg)) {
        photo.value = jpeg;
    }
    return photo;
}

QString KioskTables::instructorName(const QString& staffCode) {
    lookUp(staffLookup,
           QStringLiteral("SELECT nome FROM FUNCIONARIOS WHERE MATRICULA = :MATRICULA"),
           QStringLiteral("MATRICULA"), staffCode);
    const QString name = staffLookup.eof() ? QStringLiteral("Excluído")
                                           : staffLookup.fieldText(QStringLiteral("nome"));
    staffLookup.close();
    return name;
}

RowField<QString> KioskTables::machineVideo(const QString& machineCode) {
    lookUp(exerciseLookup,
           QStringLiteral("select Caminho_Video from Exercicios WHERE (APARELHO = :APARELHO)"),
           QStringLiteral("APARELHO"), machineCode);
    RowField<QString> video;
    video.found = !exerciseLookup.eof();
    const QString pathField = QStringLiteral("Caminho_Video");
    if (video.found && !exerciseLookup.isNull(pathField)) {
        video.value = exerciseLookup.fieldText(pathField);
    }
    return video;
}

bool readBlob(const DataSet& table, const QString& field, QByteArray& stream) {
    try {
        stream = table.fieldBlob(field);
        return true;
    } catch (const DatabaseError&) {
        return false;
    }
}
