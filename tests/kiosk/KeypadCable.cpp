#include "KeypadCable.h"

#include <QDir>
#include <QFile>

KeypadCable::KeypadCable(QString deviceFolder)
    : m_folder(std::move(deviceFolder)) {}

bool KeypadCable::plugIn(const QString& name) {
    m_pad = std::make_unique<commtest::PseudoTerminal>();
    m_link = QDir(m_folder).filePath(name);
    QFile::remove(m_link);
    return QFile::link(m_pad->slavePath(), m_link);
}

void KeypadCable::pull() {
    m_pad->closeMaster();
    QFile::remove(m_link);
}
