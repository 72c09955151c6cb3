#include "SEAPRESENTACAO.h"

#include "Pictures.h"
#include "WindowLook.h"

#include <QCoreApplication>
#include <QLabel>
#include <QShowEvent>
#include <QTimer>

TFRMVERSAO::TFRMVERSAO(QWidget* parent)
    : ModalWindow(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setFixedSize(412, 210);
    setClosedByEscape(false); // it stays its four seconds
    paintBackground(*this, colorFromBgr(16510423));
    Image1 = new QLabel(this);
    Image1->setPixmap(picture(QStringLiteral("apresentacao.jpg")));
    Image1->setScaledContents(true);
    Image1->setGeometry(0, 0, 412, 210);
    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    Timer1->setInterval(4000);
    connect(Timer1, &QTimer::timeout, this, &QWidget::close);
}

void TFRMVERSAO::showEvent(QShowEvent* event) {
    ModalWindow::showEvent(event);
    if (!event->spontaneous()) {
        QCoreApplication::processEvents(); // the picture is painted before the wait starts
        Timer1->start();
    }
}
