#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

// A deterministic, realistic pair of demo databases (SQLite) with their data-link files. The demo
// and the tests build their databases with it.
namespace demo {

struct Operator {
    QString code;
    QString name;
    QString password;
    QString right; // IMP_SERIE_40
};

struct Options {
    int members = 300;
    bool workouts = true; // prescriptions, exercise catalogue rows, staff
    bool photos = true;
};

struct DemoDatabases {
    QString palendraFile;
    QString quorvelFile;
    std::vector<Operator> operators;
    int members = 0;
};

// The operators every demo database holds, one for each kind of IMP_SERIE_40 value.
const std::vector<Operator>& operators();

// The enrolment number of the n-th member (n from 1), ten digits.
QString enrolmentOf(int n);

// A member the demo can show off: active, with a photo, workouts A to E and aerobic rows.
QString showcaseMember();

// Writes palendra.db, quorvel.db, Palendra.udl and Quorvel.udl into folder (created if needed,
// existing databases replaced). Throws std::runtime_error when a file cannot be written.
DemoDatabases writeDemoDatabases(const QString& folder, const Options& options = {});

// The names of the files writeDemoDatabases writes that folder already holds.
QStringList demoFilesIn(const QString& folder);

// Changes one column of the settings record of a demo folder, as the gym's back office does (the
// scripted demo shows the workout on screen this way).
void changeSetting(const QString& folder, const QString& column, const QVariant& value);
// The same for a yes-or-no column: "Sim" or "Não".
void switchSetting(const QString& folder, const QString& column, bool on);

// Writes a data-link file as Windows does: UTF-16LE with a byte-order mark, CR LF line ends. It
// holds a password: readable by its owner and the folder's group only.
void writeDataLinkFile(const QString& path, const QString& initString);

} // namespace demo
