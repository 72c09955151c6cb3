#include "SplashWindow.h"

#include "Pictures.h"
#include "WindowLook.h"

#include <QCoreApplication>
#include <QLabel>
#include <QShowEvent>
#include <QTimer>

SplashWindow::SplashWindow(QWidget* parent)
    : ModalWindow(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setFixedSize(412, 210);
    setClosedByEscape(false); // it stays its four seconds
    paintBackground(*this, colorFromBgr(16510423));
    picture = new QLabel(this);
    picture->setPixmap(::picture(QStringLiteral("apresentacao.jpg")));
    picture->setScaledContents(true);
    picture->setGeometry(0, 0, 412, 210);
    splashTimer = new QTimer(this);
    splashTimer->setSingleShot(true);
    splashTimer->setInterval(4000);
    connect(splashTimer, &QTimer::timeout, this, &QWidget::close);
}

void SplashWindow::showEvent(QShowEvent* event) {
    ModalWindow::showEvent(event);
    if (!event->spontaneous()) {
        QCoreApplication::processEvents(); // the picture is painted before the wait starts
        splashTimer->start();
    }
}
