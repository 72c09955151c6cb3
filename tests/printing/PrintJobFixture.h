#pragma once

#include "Recorders.h"
#include "TestBackends.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Every job runs in a fresh current directory (where file targets and preview files go), in
// Brazilian Portuguese, at 8 Dec 2026 09:05:07, with message boxes recorded.
class PrintJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        m_previousFolder = QDir::currentPath();
        QDir::setCurrent(m_folder.path());
        m_previousLocale = QLocale();
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        m_clock.change([](platform::Backends& backends) {
            backends.clock = [] {
                return QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7));
            };
        });
    }

    void TearDown() override {
        m_clock.restore();
        QLocale::setDefault(m_previousLocale);
        QDir::setCurrent(m_previousFolder);
    }

    static QByteArray golden(const QString& name) {
        QFile file(QStringLiteral(SE_TEST_DATA_DIR "/matrix/") + name);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        return file.readAll();
    }

    static QByteArray printed(const QString& name) {
        QFile file(name);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        return file.readAll();
    }

    QString inFolder(const QString& name) const { return m_folder.filePath(name); }

    MessageRecorder messages;

private:
    QTemporaryDir m_folder;
    QString m_previousFolder;
    QLocale m_previousLocale;
    TestBackends m_clock;
};
