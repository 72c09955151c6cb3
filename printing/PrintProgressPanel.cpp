#include "PrintProgressPanel.h"

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

PrintProgressPanel::PrintProgressPanel(QWidget* parent)
    : QFrame(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_frames(printingFrames())
    , m_animation(new QLabel(this))
    , m_timer(new QTimer(this)) {
    setWindowTitle(QStringLiteral("Imprimindo..."));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setFixedSize(240, 71);
    m_animation->setFixedSize(frameSize, frameSize);
    auto* text = new QLabel(QStringLiteral("Imprimindo. Por favor, aguarde..."), this);
    text->setWordWrap(true); // the window's width is fixed, the font's is not
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_animation);
    layout->addWidget(text, 1);
    m_timer->setInterval(frameIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &PrintProgressPanel::advanceFrame);
    showFrame();
}

PrintProgressPanel::~PrintProgressPanel() = default;

QPixmap PrintProgressPanel::currentFrame() const {
    return m_animation->pixmap();
}

bool PrintProgressPanel::isAnimating() const {
    return m_timer->isActive();
}

void PrintProgressPanel::advanceFrame() {
    m_frameIndex = (m_frameIndex + 1) % frameCount;
    showFrame();
}

void PrintProgressPanel::showFrame() {
    m_animation->setPixmap(m_frames.copy(m_frameIndex * frameSize, 0, frameSize, frameSize));
}

void PrintProgressPanel::showEvent(QShowEvent* event) {
    QFrame::showEvent(event);
    if (const QScreen* shownOn = screen())
        move(shownOn->availableGeometry().center() - rect().center());
    m_timer->start();
}

void PrintProgressPanel::closeEvent(QCloseEvent* event) {
    if (!m_closable) {
        event->ignore();
        return;
    }
    m_timer->stop();
    QFrame::closeEvent(event);
}
