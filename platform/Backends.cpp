#include "Backends.h"

#include <QFileDialog>
#include <QLoggingCategory>
#include <QPrintDialog>
#include <QPrinter>

#include <utility>

namespace platform {
namespace {

Q_LOGGING_CATEGORY(commLog, "se.comm", QtWarningMsg)

Backends& installed() {
    static Backends current;
    return current;
}

} // namespace

void logCommError(const QString& device, const QString& message, int code) {
    qCDebug(commLog) << device << message << code;
}

std::optional<QString> execPrintDialog(QPrinter& printer) {
    QPrintDialog dialog(&printer);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return printer.printerName();
}

QString execSaveDialog(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

const Backends& backends() {
    return installed();
}

Backends installBackends(Backends replacement) {
    return std::exchange(installed(), std::move(replacement));
}

} // namespace platform
