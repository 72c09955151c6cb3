#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <stdexcept>

class QChar;
class QWidget;

// The video player of the exercise video window, with the calls the window relies on. A backend
// fills it (QtMultimedia here); tests and the programs use the real one.
namespace platform {

// The player refused a media, or could not start it.
class MediaError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class MediaControls {
public:
    virtual ~MediaControls() = default;
    // Starts playback of the loaded media; raises MediaError when the player cannot.
    virtual void play() = 0;
    // Seconds into the media; 0 while nothing plays: before playback has started, after it has
    // stopped and after the end of the media.
    virtual double currentPosition() const = 0;
    // True while the player is still loading the media: playback has not been able to start.
    virtual bool loading() const = 0;
};

class MediaPlayer {
public:
    virtual ~MediaPlayer() = default;

    // The widget the video is shown in, a child of the parent the player was made for.
    virtual QWidget* widget() = 0;
    // Releases the current media; harmless when none is loaded.
    virtual void close() = 0;
    // Writing a path loads that media, writing an empty text unloads it. A media the player
    // refuses at once raises MediaError; one it refuses while loading is reported by onError.
    virtual void setURL(const QString& path) = 0;
    virtual MediaControls& controls() = 0;
    // The picture on show now (null when none), for screenshots: the video itself may be drawn
    // where grabbing a window does not reach.
    virtual QImage currentFrame() const = 0;

    // Keys typed on the player (27 Esc, 13 Enter, else the character) and double clicks on it.
    std::function<void(QChar key)> onKeyPress;
    std::function<void()> onDoubleClick;
    // The player's first fault with the current media, from the event loop.
    std::function<void(const QString& error)> onError;
};

// A player whose widget is a child of parent, made by the installed back ends; the QtMultimedia
// player when they install none. This and the next come with se_media.
std::unique_ptr<MediaPlayer> createMediaPlayer(QWidget* parent);

// The QtMultimedia player.
std::unique_ptr<MediaPlayer> createQtMediaPlayer(QWidget* parent);

// How long a video may take to be found, and to load, before it counts as one that cannot play.
inline constexpr int videoWaitMs = 10000;

// True when path names a regular file (links followed), the only thing a video can be: a player
// opening a FIFO waits for a writer for ever, one opening a folder or a device fails or hangs.
// Looked at off this thread (a look at a path on a dead network mount never returns), without
// blocking its windows; false when no answer came within videoWaitMs.
bool isVideoFile(const QString& path);

} // namespace platform
