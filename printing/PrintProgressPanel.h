#pragma once

#include <QFrame>
#include <QPixmap>

class QLabel;
class QTimer;

// Shown without blocking while a document prints: a small animation and a please-wait text.
// It refuses to close until the library marks it closable.
class PrintProgressPanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int frameCount = 6;
    static constexpr int frameSize = 32;
    static constexpr int frameIntervalMs = 500;

    explicit PrintProgressPanel(QWidget* parent = nullptr);
    ~PrintProgressPanel() override;

    void setClosable(bool closable) { m_closable = closable; }
    int frameIndex() const { return m_frameIndex; }
    QPixmap currentFrame() const;
    bool isAnimating() const;
    // Moves to the next of the six frames.
    void advanceFrame();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showFrame();

    QPixmap m_frames;
    QLabel* m_animation;
    QTimer* m_timer;
    int m_frameIndex = 0;
    bool m_closable = false;
};
