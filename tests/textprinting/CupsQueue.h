#pragma once

#include "TestFiles.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// A TCP listener standing in for a network printer: every connection the spooler's socket
// backend makes is one job, read until the spooler closes it.
class PrinterListener {
public:
    PrinterListener();
    ~PrinterListener();
    PrinterListener(const PrinterListener&) = delete;
    PrinterListener& operator=(const PrinterListener&) = delete;

    int port() const { return m_port; }
    // The next job received, or an empty array after the time-out.
    QByteArray waitForJob(int timeoutMs = 30000);

private:
    void serve();

    int m_listenFd = -1;
    int m_wakeFd[2] = {-1, -1};
    int m_port = 0;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_received;
    std::deque<QByteArray> m_jobs;
};

// A raw CUPS queue whose device is the listener; deleted again with the object.
class CupsQueue {
public:
    explicit CupsQueue(const QString& name);
    ~CupsQueue();
    CupsQueue(const CupsQueue&) = delete;
    CupsQueue& operator=(const CupsQueue&) = delete;

    const QString& name() const { return m_name; }
    PrinterListener& listener() { return m_listener; }
    // Number of jobs of this queue that the spooler has not finished.
    int unfinishedJobs() const;

private:
    QString m_name;
    PrinterListener m_listener;
};

// Points the spooler calls of this thread, ours and Qt's, at a scheduler that takes the
// connection and never answers, as a hung scheduler or a link that loses the replies does.
class SilentSpooler {
public:
    SilentSpooler();
    ~SilentSpooler();
    SilentSpooler(const SilentSpooler&) = delete;
    SilentSpooler& operator=(const SilentSpooler&) = delete;

private:
    int m_socket = -1;
};

// Why the local CUPS server cannot be used, or empty when it runs.
QString cupsUnavailableReason();
