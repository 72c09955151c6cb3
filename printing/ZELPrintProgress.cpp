#include "ZELPrintProgress.h"

#include <QBitmap>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QTimer>

// The resource of a static library is registered by hand; outside any namespace, as the macro
// declares the registration function where it stands.
static void loadPrintingResources() {
    Q_INIT_RESOURCE(printing);
}

namespace {

// The six frames side by side, magenta marking the transparent parts.
QPixmap printingFrames() {
    loadPrintingResources();
    QPixmap frames(QStringLiteral(":/printing/PRINTING.bmp"));
    frames.setMask(frames.createMaskFromColor(QColor(0xFF, 0x00, 0xFF)));
    return frames;
}

} // namespace

TfrmZELPrintProgress::TfrmZELPrintProgress(QWidget* parent)
    : QFrame(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , FFrames(printingFrames())
    , FAnimation(new QLabel(this))
    , FTimer(new QTimer(this)) {
    setWindowTitle(QStringLiteral("Imprimindo..."));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setFixedSize(240, 71);
    FAnimation->setFixedSize(FrameSize, FrameSize);
    auto* text = new QLabel(QStringLiteral("Imprimindo. Por favor, aguarde..."), this);
    text->setWordWrap(true); // the window's width is fixed, the font's is not
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(FAnimation);
    layout->addWidget(text, 1);
    FTimer->setInterval(FrameIntervalMs);
    connect(FTimer, &QTimer::timeout, this, &TfrmZELPrintProgress::advanceFrame);
    showFrame();
}

TfrmZELPrintProgress::~TfrmZELPrintProgress() = default;

QPixmap TfrmZELPrintProgress::CurrentFrame() const {
    return FAnimation->pixmap();
}

bool TfrmZELPrintProgress::isAnimating() const {
    return FTimer->isActive();
}

void TfrmZELPrintProgress::advanceFrame() {
    FFrameIndex = (FFrameIndex + 1) % FrameCount;
    showFrame();
}

void TfrmZELPrintProgress::showFrame() {
    FAnimation->setPixmap(FFrames.copy(FFrameIndex * FrameSize, 0, FrameSize, FrameSize));
}

void TfrmZELPrintProgress::showEvent(QShowEvent* event) {
    QFrame::showEvent(event);
    if (const QScreen* shownOn = screen())
        move(shownOn->availableGeometry().center() - rect().center());
    FTimer->start();
}

void TfrmZELPrintProgress::closeEvent(QCloseEvent* event) {
    if (!FClosable) {
        event->ignore();
        return;
    }
    FTimer->stop();
    QFrame::closeEvent(event);
}
