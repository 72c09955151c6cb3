#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <map>

// Runs the current test again in a process of its own that sees the given files in place of
// /etc's (in a mount namespace of its own: root only), so that the system's resolver knows the
// test's own names or asks the test's own DNS server. Returns true in that process, where the test
// goes on; in the calling process it waits for that one, fails the test with its output when it
// failed, and returns false.
bool inOwnSystemFiles(const std::map<QString, QByteArray>& etcFiles);

// A file of the test's own as the user's odbc.ini (ODBCINI) while it lives.
class OwnOdbcIni {
public:
    explicit OwnOdbcIni(const QByteArray& text);
    ~OwnOdbcIni();
    OwnOdbcIni(const OwnOdbcIni&) = delete;
    OwnOdbcIni& operator=(const OwnOdbcIni&) = delete;

private:
    QTemporaryDir m_dir;
};
