#pragma once

#include <QDir>
#include <QEvent>
#include <QObject>
#include <QPainter>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QPointingDevice;
class VirtualKeypad;

namespace platform {
struct Message;
}

// The scripted session of the demo on a machine without a display: it walks the terminal through
// its windows as an operator would, taking a picture of each into a folder.
class DemoScript : public QObject {
public:
    DemoScript(const QString& pictureFolder, const QString& operatorCode, const QString& password);
    ~DemoScript() override;

    void start();
    // Before the operator leaves, the kiosk is opened again with the virtual keypad named in the
    // settings of the demo's databases in folder, and a member is served from the pad alone.
    void addKeypadVisit(VirtualKeypad& keypad, const QString& folder);
    // Before the operator leaves, the kiosk is opened again as on a PC with a touch screen and
    // nothing else, and a member is served from its keypad for fingers.
    void addTouchVisit();
    // Nobody is there to answer a message box: it is told on the standard output, pictured over
    // the screen when a step asked for it, and answered with its first button.
    int answer(const platform::Message& message);
    // The pictures taken so far.
    const QStringList& pictures() const { return m_pictures; }
    bool failed() const { return m_failed; }
    // What the status bar said about the operator once the login was over.
    const QString& operatorShown() const { return m_operatorShown; }
    // The last ticket printed, as on paper.
    const QString& ticketText() const { return m_ticketText; }

private:
    struct Step {
        QString what;                // for the failure message
        std::function<bool()> ready; // the step acts once this holds
        std::function<void()> act;
    };

    // The folder of the demo's databases, which holds the pictures' folder.
    QString demoFolder() const;
    // Once the main window is idle, a yes-or-no setting is switched on as the back office would
    // and the kiosk opened; a later step switches it off again.
    Step openKioskSwitchingOn(const QString& column) const;
    // The first visit to the kiosk: a member's photo and ticket, then a number nobody holds.
    void addKioskSteps();
    // The workout on screen and one of its exercise videos.
    void addSeriesSteps();
    // A machine's code and its video.
    void addEquipmentSteps();
    void poll();
    // Saves a picture of the screen; over draws on it last.
    void picture(const QString& name, const std::function<void(QPainter&)>& over = {});
    // A picture of the screen with the playing video's frame on it.
    void videoPicture(const QString& name);
    // The ticket the kiosk just printed, as a picture and as text.
    void saveTicket(const QString& name);
    // Keys go straight to a field: a window shown a moment ago may not have the focus yet.
    void type(const QString& text, QWidget* field);
    void pressEnter(QWidget* field);
    void pressKey(Qt::Key key, QWidget* field);
    // A finger landing on the middle of the widget, or lifted there, as the window system hands
    // it over.
    void touch(QWidget* widget, QEvent::Type type);
    void tap(QWidget* widget);
    // Runs an action once the poll has returned, so that a modal window it opens does not block it.
    static void later(std::function<void()> action);

    QDir m_folder;
    QString m_code;
    QString m_password;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    int m_waitedMs = 0;
    bool m_failed = false;
    QTimer m_poll;
    QStringList m_pictures;
    QString m_operatorShown;
    QString m_ticketText;
    QString m_boxPicture; // the name of the next message box's picture, if one is wanted
    std::unique_ptr<QPointingDevice> m_touchScreen; // made for the first touch
};
