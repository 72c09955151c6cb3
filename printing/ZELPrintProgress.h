#pragma once

#include <QFrame>
#include <QPixmap>

class QLabel;
class QTimer;

// Shown without blocking while a document prints: a small animation and a please-wait text.
// It refuses to close until the library marks it closable.
class TfrmZELPrintProgress : public QFrame {
    Q_OBJECT
public:
    static constexpr int FrameCount = 6;
    static constexpr int FrameSize = 32;
    static constexpr int FrameIntervalMs = 500;

    explicit TfrmZELPrintProgress(QWidget* parent = nullptr);
    ~TfrmZELPrintProgress() override;

    void setClosable(bool closable) { FClosable = closable; }
    int FrameIndex() const { return FFrameIndex; }
    QPixmap CurrentFrame() const;
    bool isAnimating() const;
    // Moves to the next of the six frames.
    void advanceFrame();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showFrame();

    QPixmap FFrames;
    QLabel* FAnimation;
    QTimer* FTimer;
    int FFrameIndex = 0;
    bool FClosable = false;
};
