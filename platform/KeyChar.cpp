#include "KeyChar.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>
#include <memory>

namespace platform {
namespace {

// Where an edit put new characters: between what it left of the text's start and of its end.
struct Insertion {
    qsizetype at;
    qsizetype length;
};

Insertion insertionOf(const QString& before, const QString& after) {
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype start = 0;
    while (start < shorter && before.at(start) == after.at(start)) {
        ++start;
    }
    qsizetype end = 0;
    while (end < shorter - start &&
           before.at(before.size() - 1 - end) == after.at(after.size() - 1 - end)) {
        ++end;
    }
    return {start, after.size() - start - end};
}

} // namespace

QChar keyCharOf(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Escape:
        return QChar(27);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(13);
    case Qt::Key_Backspace:
        return QChar(8);
    case Qt::Key_Delete:
        return QChar();
    default:
        return event.text().isEmpty() ? QChar() : event.text().at(0);
    }
}

void filterUntypedText(QLineEdit& field, std::function<bool(QChar)> keeps) {
    auto before = std::make_shared<QString>(field.text());
    // The field's own text, not the signal's: after a correction the field still announces the
    // text of the edit it corrected.
    QObject::connect(&field, &QLineEdit::textChanged, &field,
                     [&field, before] { *before = field.text(); });
    QObject::connect(&field, &QLineEdit::textEdited, &field,
                     [&field, before, keeps = std::move(keeps)](const QString& after) {
                         const Insertion inserted = insertionOf(*before, after);
                         QString kept = after.left(inserted.at);
                         for (const QChar character : after.mid(inserted.at, inserted.length)) {
                             if (character.isPrint() && keeps(character)) {
                                 kept += character;
                             }
                         }
                         const qsizetype cursor = kept.size();
                         kept += after.mid(inserted.at + inserted.length);
                         if (kept != after) {
                             field.setText(kept);
                             field.setCursorPosition(static_cast<int>(cursor));
                         }
                     });
}

} // namespace platform
