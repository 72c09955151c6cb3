#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <string>
#include <system_error>

// The run-time library's input/output error: a printer port, device or file could not be
// opened, written, flushed or closed. Carries the system's error number.
class PortIoError : public std::system_error {
public:
    PortIoError(int errorCode, const std::string& what);
};

namespace platform {

class RawPrintJob;

// Raw bytes for a printer, buffered: to a port, device, pipe or file opened by path, or as a raw
// job on a spooler queue (a printer without a local port). The printer gets exactly the bytes
// written. Every failure after opening raises PortIoError; the bytes of a failed write are
// dropped, so that closing afterwards does not fail on them again. A port that takes no byte for
// 5 s fails the same way (ETIMEDOUT), in a write or in the close, which otherwise waits until a
// serial line has sent what the system holds for it; so does one whose job ran out of time
// (PrintDeadline).
class PrinterPort {
public:
    PrinterPort();
    ~PrinterPort();
    PrinterPort(const PrinterPort&) = delete;
    PrinterPort& operator=(const PrinterPort&) = delete;

    // Creates or truncates a file, or opens a device; false when it cannot be opened. A missing
    // device under /dev is not created as a plain file. A terminal (a serial port) is put in raw
    // mode and its modem lines are ignored, so neither the open nor a write waits for them. A
    // pipe without a reader cannot be opened.
    bool openPath(const QString& path);
    // Starts a raw job on the queue; false when the spooler refuses it.
    bool openQueue(const QString& queue, const QString& title);

    void write(const QByteArray& bytes);
    void flush();
    // Flushes and closes; a spooler job is then finished.
    void close();

private:
    void requireOpen() const;
    void writeToDescriptor(const QByteArray& bytes);
    void discard();

    int m_fd = -1;
    bool m_writeFailed = false;
    std::unique_ptr<RawPrintJob> m_job;
    QByteArray m_buffer;
};

} // namespace platform
