#pragma once

#include "TestBackends.h"
#include "TextPrinterBase.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPrinter>
#include <QTimer>
#include <QWidget>

#include <functional>

#include <gtest/gtest.h>

// Answers the system print dialog: confirms it with a chosen printer, or cancels it.
class PrintDialogAnswer {
public:
    explicit PrintDialogAnswer(bool confirm, QString printer = QString())
        : m_confirm(confirm)
        , m_printer(std::move(printer))
        , m_backends([this](platform::Backends& backends) {
            backends.runPrintDialog = [this](QPrinter& dialogPrinter) -> std::optional<QString> {
                ++m_shown;
                if (!m_confirm)
                    return std::nullopt;
                return m_printer.isEmpty() ? dialogPrinter.printerName() : m_printer;
            };
        }) {}
    PrintDialogAnswer(const PrintDialogAnswer&) = delete;
    PrintDialogAnswer& operator=(const PrintDialogAnswer&) = delete;

    int shown() const { return m_shown; }

private:
    bool m_confirm;
    QString m_printer;
    int m_shown = 0;
    TestBackends m_backends;
};

// Counts every event of a printer, in order.
struct EventLog {
    QStringList fired;
    void attach(TextPrinterBase& printer) {
        auto record = [this](const char* name) {
            return [this, name](QObject*) {
                fired << QString::fromLatin1(name);
            };
        };
        printer.onStart = record("start");
        printer.onNewPage = record("page");
        printer.onNewLine = record("line");
        printer.onPrint = record("print");
        printer.onTerminate = record("end");
        printer.onAbort = record("abort");
        printer.onError = record("error");
    }
};

// Runs `action` on the modal window of type T as soon as it is shown (the way modal windows are
// driven without a screen). The action runs once.
template <typename T> void whenModal(std::function<void(T*)> action) {
    auto* timer = new QTimer;
    auto* elapsed = new QElapsedTimer;
    elapsed->start();
    QObject::connect(timer, &QTimer::timeout, [timer, elapsed, action] {
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            delete elapsed;
            action(window);
        } else if (elapsed->elapsed() > 20000) {
            timer->stop();
            timer->deleteLater();
            delete elapsed;
            ADD_FAILURE() << "no modal window of the expected type appeared";
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
        }
    });
    timer->start(10);
}

// The library's message when beginDoc fails; "no error" when it does not.
inline QString beginDocError(auto& printer) {
    try {
        printer.beginDoc();
    } catch (const TextPrinterError& error) {
        return error.message();
    }
    return QStringLiteral("no error");
}
