#pragma once

#include <QString>

#include <memory>

class QMessageBox;

// Every message box of the terminal and of its component libraries goes through the presenter of
// the installed back ends, so tests can answer boxes without a screen.
namespace platform {

enum class MessageIcon { Information, Question, Warning, Error };
enum class MessageButtons { Ok, YesNo, OkCancel };

// The system's button identifiers, as the callers compare them.
enum MessageResult { IdOk = 1, IdCancel = 2, IdYes = 6, IdNo = 7 };

struct Message {
    QString caption;
    QString text;
    MessageIcon icon = MessageIcon::Information;
    MessageButtons buttons = MessageButtons::Ok;
};

// The box the terminal shows for a message, not yet shown (the demo takes pictures of it).
std::unique_ptr<QMessageBox> messageBoxFor(const Message& message);

// Shows the box through the installed presenter and returns the pressed button.
int showMessage(const Message& message);

// The real box, task-modal without an owner window.
int showMessageBox(const Message& message);

} // namespace platform
