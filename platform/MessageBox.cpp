#include "MessageBox.h"

#include "Backends.h"

#include <QMessageBox>

namespace platform {
namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

int fromQtButton(int button) {
    switch (button) {
    case QMessageBox::Yes:
        return IdYes;
    case QMessageBox::No:
        return IdNo;
    case QMessageBox::Cancel:
        return IdCancel;
    default:
        return IdOk;
    }
}

} // namespace

std::unique_ptr<QMessageBox> messageBoxFor(const Message& message) {
    auto box = std::make_unique<QMessageBox>(toQtIcon(message.icon), message.caption, message.text);
    switch (message.buttons) {
    case MessageButtons::Ok:
        box->setStandardButtons(QMessageBox::Ok);
        break;
    case MessageButtons::YesNo:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MessageButtons::OkCancel:
        box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    }
    return box;
}

int showMessage(const Message& message) {
    return backends().presentMessage(message);
}

int showMessageBox(const Message& message) {
    const std::unique_ptr<QMessageBox> box = messageBoxFor(message);
    box->setWindowModality(Qt::ApplicationModal);
    return fromQtButton(box->exec());
}

} // namespace platform
