#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// What a ticket looks like on paper, for the demo: the bytes a matrix printer received, with its
// control codes applied and its accented letters read through the printer's code page (850).
QString ticketPaperText(const QByteArray& printerBytes);

// The paper text drawn on a narrow strip of receipt paper.
QImage ticketPicture(const QString& paperText);
