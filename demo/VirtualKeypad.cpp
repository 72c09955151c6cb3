#include "VirtualKeypad.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace {

const char* const keyRows[] = {"123", "456", "789", "*0#"};

} // namespace

VirtualKeypad::VirtualKeypad(const QString& link)
    : m_link(link)
    , m_master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        throw std::runtime_error("no pseudo-terminal for the virtual keypad");
    }
    QDir().mkpath(QFileInfo(link).absolutePath());
    QFile::remove(link);
    if (!QFile::link(QString::fromLocal8Bit(::ptsname(m_master)), link)) {
        throw std::runtime_error("cannot link the virtual keypad as " + link.toStdString());
    }
    setWindowTitle(QStringLiteral("Teclado numérico"));
    auto* keys = new QGridLayout(this);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) {
            const QString key = QString::fromLatin1(&keyRows[row][column], 1);
            auto* button = new QPushButton(key, this);
            button->setFixedSize(56, 48);
            button->setFocusPolicy(Qt::NoFocus);
            connect(button, &QPushButton::clicked, this, [this, key] { press(key); });
            keys->addWidget(button, row, column);
        }
    }
}

VirtualKeypad::~VirtualKeypad() {
    QFile::remove(m_link);
    ::close(m_master);
}

void VirtualKeypad::press(const QString& keys) {
    const QByteArray bytes = keys.toLatin1();
    [[maybe_unused]] const auto written = ::write(m_master, bytes.constData(), bytes.size());
}

void setDemoKeypadSetting(const QString& folder, const QString& pinpad) {
    const QString name = QStringLiteral("demo-keypad-setting");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QDir(folder).filePath(QStringLiteral("palendra.db")));
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
        QSqlQuery update(db);
        if (!db.open() || !update.prepare(QStringLiteral("UPDATE Secvar SET PINPAD = ?"))) {
            throw std::runtime_error(db.lastError().text().toStdString());
        }
        update.addBindValue(pinpad);
        if (!update.exec()) {
            throw std::runtime_error(update.lastError().text().toStdString());
        }
    }
    QSqlDatabase::removeDatabase(name);
}
