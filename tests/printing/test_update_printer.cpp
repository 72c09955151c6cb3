#include "MatrixPrintDriver.h"
#include "MatrixPrintPreview.h"
#include "PrintJobFixture.h"
#include "Spooler.h"
#include "TestBackends.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QPrintDialog>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <cstdlib>
#include <cups/cups.h>
#include <functional>

namespace {

void writeFile(const QString& path, const QString& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
}

} // namespace

// The system's printers on the fake spooler: a default printer whose device is a file and a
// second one on a network printer.
class SystemPrinter : public PrintJobTest {
protected:
    void SetUp() override {
        PrintJobTest::SetUp();
        fake.spooler.addPrinter(QStringLiteral("Recibo"),
                                QStringLiteral("file:") + receiptDevice());
        fake.spooler.addPrinter(QStringLiteral("Remota"), QStringLiteral("socket://127.0.0.1:9"));
        fake.spooler.setDefaultPrinter(QStringLiteral("Recibo"));
    }

    void TearDown() override {
        platform::setCurrentPrinterName(QString());
        PrintJobTest::TearDown();
    }

    QString receiptDevice() const { return inFolder(QStringLiteral("recibo.prn")); }
    // The bytes of the first raw job the spooler received.
    QByteArray firstSpooledDocument() const {
        return fake.spooler.jobs().empty() ? QByteArray() : fake.spooler.jobs().front().bytes;
    }

    FakeSpoolerInstalled fake;
};

// The same on a CUPS scheduler of the test's own, end to end: on a socket in a temporary folder,
// the default queue's device a file and the second queue on a network printer.
class CupsEndToEnd : public PrintJobTest {
protected:
    void SetUp() override {
        PrintJobTest::SetUp();
        if (!QFileInfo::exists(QStringLiteral("/usr/sbin/cupsd"))) {
            GTEST_SKIP() << "the CUPS scheduler is not installed";
        }
        ASSERT_TRUE(m_root.isValid());
        const QString root = m_root.path();
        for (const char* folder : {"state", "cache", "spool", "tmp"}) {
            QDir(root).mkpath(QString::fromLatin1(folder));
        }
        m_socket = root + QStringLiteral("/cups.sock");
        writeFile(root + QStringLiteral("/cupsd.conf"),
                  QStringLiteral("Listen %1\nLogLevel warn\nBrowsing No\nPreserveJobFiles Yes\n"
                                 "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n")
                      .arg(m_socket));
        writeFile(root + QStringLiteral("/cups-files.conf"),
                  QStringLiteral("ServerRoot %1\nStateDir %1/state\nCacheDir %1/cache\n"
                                 "RequestRoot %1/spool\nTempDir %1/tmp\nErrorLog %1/error_log\n"
                                 "AccessLog %1/access_log\nPageLog %1/page_log\n"
                                 "FileDevice Yes\nSandboxing Relaxed\n")
                      .arg(root));
        writeFile(root + QStringLiteral("/printers.conf"),
                  QStringLiteral("<DefaultPrinter Recibo>\nDeviceURI file:%1\nState Idle\n"
                                 "Accepting Yes\nShared No\n</DefaultPrinter>\n"
                                 "<Printer Remota>\nDeviceURI socket://127.0.0.1:9\n"
                                 "State Idle\nAccepting Yes\nShared No\n</Printer>\n")
                      .arg(receiptDevice()));

        m_scheduler.start(QStringLiteral("/usr/sbin/cupsd"),
                          {QStringLiteral("-f"), QStringLiteral("-c"), root + "/cupsd.conf",
                           QStringLiteral("-s"), root + "/cups-files.conf"});
        ASSERT_TRUE(m_scheduler.waitForStarted());
        for (int tries = 0; tries < 100 && !QFileInfo::exists(m_socket); ++tries) {
            QThread::msleep(50);
        }
        if (!QFileInfo::exists(m_socket)) {
            GTEST_SKIP() << "cupsd did not start: "
                         << m_scheduler.readAllStandardError().toStdString();
        }
        // The environment may name a destination of its own.
        unsetenv("LPDEST");
        unsetenv("PRINTER");
        cupsSetServer(QFile::encodeName(m_socket).constData());
    }

    void TearDown() override {
        cupsSetServer(nullptr);
        platform::setCurrentPrinterName(QString());
        if (m_scheduler.state() != QProcess::NotRunning) {
            m_scheduler.terminate();
            m_scheduler.waitForFinished();
        }
        PrintJobTest::TearDown();
    }

    QString receiptDevice() const { return m_root.path() + QStringLiteral("/recibo.prn"); }
    // The document of the first job the scheduler received, as it stored it.
    QByteArray firstSpooledDocument() const {
        const QString spool = m_root.path() + QStringLiteral("/spool");
        for (int tries = 0; tries < 50; ++tries) {
            const QStringList files =
                QDir(spool).entryList({QStringLiteral("d*-001")}, QDir::Files);
            if (!files.isEmpty()) {
                return printed(spool + QLatin1Char('/') + files.constFirst());
            }
            QThread::msleep(50);
        }
        return {};
    }

private:
    QTemporaryDir m_root;
    QString m_socket;
    QProcess m_scheduler;
};

TEST_F(SystemPrinter, EmptyPortPrintsOnTheDefaultQueuesDevice) {
    MatrixPrintDriver driver;
    driver.setPrintsPageHeader(false);
    ASSERT_TRUE(driver.beginJob());
    driver.print(QString(), QStringLiteral("Olá"), 1, true);
    driver.endJob();
    EXPECT_EQ(printed(receiptDevice()), QByteArray(" Ol\xa0\r\n"));
}

TEST_F(CupsEndToEnd, ChosenQueueWithoutLocalDeviceGetsARawJob) {
    // The queue chosen in the set-up dialog wins over the default; a printer on the network is
    // reached through its queue, never through a file of its name.
    platform::setCurrentPrinterName(QStringLiteral("Remota"));
    MatrixPrintDriver driver;
    driver.setPrintsPageHeader(false);
    ASSERT_TRUE(driver.beginJob());
    driver.print(QString(), QStringLiteral("Olá"), 0, true);
    driver.endJob();
    EXPECT_EQ(firstSpooledDocument(), QByteArray("Ol\xa0\r\n"));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("Remota")));
    EXPECT_FALSE(QFileInfo::exists(receiptDevice()));
}

TEST_F(CupsEndToEnd, PrinterChosenInTheSetUpDialogBecomesCurrent) {
    MatrixPrintPreview window;
    QString offered;
    QTimer::singleShot(0, [&offered] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
        if (printers) {
            offered = printers->currentText();
            printers->setCurrentIndex(printers->findText(QStringLiteral("Remota")));
        }
        dialog->accept();
    });
    window.setupClicked();
    EXPECT_EQ(offered, QStringLiteral("Recibo")) << "the dialog opens on the default printer";
    EXPECT_EQ(platform::currentPrinterName(), QStringLiteral("Remota"));
}

// A one-line job in preview mode, reprinted from its window after `meanwhile` has run.
void reprintFromPreview(const std::function<void(MatrixPrintPreview&)>& meanwhile) {
    FakePortInstalled fake;
    fake.port->registers[0x378 + 1] = 0xD8; // a printer that can take data
    MatrixPrintDriver driver;
    MatrixPrintPreview::showPreviewsOf(driver);
    driver.setPreview(true);
    driver.setPrintsPageHeader(false);
    ASSERT_TRUE(driver.beginJob());
    driver.print(QString(), QStringLiteral("Olá"), 0, true);
    QTimer::singleShot(0, [&] {
        auto* window = qobject_cast<MatrixPrintPreview*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        meanwhile(*window);
        window->printClicked();
        window->close();
    });
    driver.endJob();
}

TEST_F(SystemPrinter, ReprintGoesToThePortTheJobWouldHaveUsed) {
    QString reprintPort;
    reprintFromPreview([&](MatrixPrintPreview& window) {
        reprintPort = window.reprintDriver->printerPort();
        // Another printer became current while the preview was open.
        platform::setCurrentPrinterName(QStringLiteral("Remota"));
    });
    EXPECT_EQ(reprintPort, receiptDevice());
    EXPECT_EQ(printed(receiptDevice()), QByteArray("Ol\xa0"));
    EXPECT_TRUE(firstSpooledDocument().isEmpty());
}

TEST_F(SystemPrinter, ReprintOfAJobOnAQueueGoesToThatQueue) {
    platform::setCurrentPrinterName(QStringLiteral("Remota"));
    reprintFromPreview([](MatrixPrintPreview&) { platform::setCurrentPrinterName(QString()); });
    EXPECT_EQ(firstSpooledDocument(), QByteArray("Ol\xa0"));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("Remota")));
    EXPECT_FALSE(QFileInfo::exists(receiptDevice()));
}
