#include "KeypadSession.h"

#include "Database.h"
#include "KeypadDevices.h"
#include "Messages.h"
#include "Pause.h"
#include "TextHelpers.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace {

constexpr int retryMs = 2000;
constexpr int usbKeypadOn = 15;
constexpr int usbKeypadOff = 14;

SerialPort::BaudRate baudRateOf(int speed, SerialPort::BaudRate otherwise) {
    static constexpr std::array<std::pair<int, SerialPort::BaudRate>, 13> rates = {{
        {1200, SerialPort::BaudRate::Baud1200},
        {2400, SerialPort::BaudRate::Baud2400},
        {3600, SerialPort::BaudRate::Baud2400}, // the component has no 3600
        {4800, SerialPort::BaudRate::Baud4800},
        {9600, SerialPort::BaudRate::Baud9600},
        {14400, SerialPort::BaudRate::Baud14400},
        {19200, SerialPort::BaudRate::Baud19200},
        {38400, SerialPort::BaudRate::Baud38400},
        {56000, SerialPort::BaudRate::Baud56000},
        {57600, SerialPort::BaudRate::Baud57600},
        {115200, SerialPort::BaudRate::Baud115200},
        {128000, SerialPort::BaudRate::Baud128000},
        {256000, SerialPort::BaudRate::Baud256000},
    }};
    for (const auto& [rate, member] : rates) {
        if (rate == speed) {
            return member;
        }
    }
    return otherwise;
}

} // namespace

KeypadSettings KeypadSettings::read(const DataSet& settings) {
    return {settings.fieldText(QStringLiteral("PINPAD")),
            settings.fieldInteger(QStringLiteral("VELOCIDADE")),
            settings.fieldText(QStringLiteral("DATABIT")),
            settings.fieldText(QStringLiteral("STOPBIT")),
            settings.fieldText(QStringLiteral("PARIDADE")),
            settings.fieldText(QStringLiteral("Tec12USB"))};
}

bool KeypadSettings::configured() const {
    return PINPAD != QStringLiteral("NADA");
}

bool KeypadSettings::usbModel() const {
    return Tec12USB == QStringLiteral("Sim");
}

SerialPort* createKeypadComm(QObject* owner) {
    auto* comm = new SerialPort(owner, &platform::keypadSerialDriver());
    comm->setDeviceName(QStringLiteral("Com1"));
    comm->setMonitorEvents(SerialPort::Event::RxChar);
    comm->setBaudRate(SerialPort::BaudRate::Baud1200);
    comm->setOptions(SerialPort::Option::ParityCheck | SerialPort::Option::DsrSensitivity |
                     SerialPort::Option::IgnoreXOff | SerialPort::Option::ErrorChar |
                     SerialPort::Option::NullStrip);
    return comm;
}

void applyKeypadSettings(SerialPort& comm, const KeypadSettings& settings) {
    comm.setDeviceName(settings.PINPAD);
    comm.setBaudRate(baudRateOf(settings.VELOCIDADE, comm.baudRate()));
    switch (textToInteger(settings.DATABIT)) {
    case 7:
        comm.setDataBits(SerialPort::DataBits::Seven);
        break;
    case 8:
        comm.setDataBits(SerialPort::DataBits::Eight);
        break;
    default:
        break;
    }
    switch (textToInteger(settings.STOPBIT)) {
    case 0:
        comm.setStopBits(SerialPort::StopBits::Two); // the settings' 0 means two stop bits
        break;
    case 1:
        comm.setStopBits(SerialPort::StopBits::One);
        break;
    default:
        break;
    }
    // The settings' names are the other way round: "PAR" (even) gives odd parity.
    if (settings.PARIDADE == QStringLiteral("PAR")) {
        comm.setParity(SerialPort::Parity::Odd);
    }
    if (settings.PARIDADE == QStringLiteral("IMPAR")) {
        comm.setParity(SerialPort::Parity::Even);
    }
    if (settings.PARIDADE == QStringLiteral("NADA")) {
        comm.setParity(SerialPort::Parity::None);
    }
}

QString decimalCodes(const QString& text) {
    QString codes;
    for (const QChar character : text) {
        codes += QString::number(character.unicode());
    }
    return codes;
}

KeypadSession::KeypadSession(KeypadSettings settings, SerialBytesHandler received, QObject* owner)
    : QObject(owner)
    , m_settings(std::move(settings))
    , m_comm(createKeypadComm(this)) {
    m_comm->setOnBytesReceived(std::move(received));
    m_comm->setOnDeviceLost([this](QObject*, int) { lost(); });
    m_retry.setInterval(retryMs);
    connect(&m_retry, &QTimer::timeout, this, &KeypadSession::retry);
}

// The USB keypad's switch is called before the port opens and after it closes: the switch and
// the component never hold the port at the same time.
void KeypadSession::setUp() {
    applyKeypadSettings(*m_comm, m_settings);
    if (m_settings.usbModel()) {
        switchUsbKeypad(0);
    }
    open();
}

void KeypadSession::shutDown() {
    try {
        letGo();
        if (m_settings.usbModel()) {
            switchUsbKeypad(1);
        }
    } catch (const std::exception&) {
        // Leaving a window never fails on the keypad.
    }
}

void KeypadSession::takeOverFrom(KeypadSession& holder) {
    m_holder = &holder;
    holder.close();
    applyKeypadSettings(*m_comm, m_settings);
    open();
}

// Whatever becomes of this port, the holder's is opened again.
void KeypadSession::giveBack() {
    if (m_holder == nullptr) {
        return;
    }
    KeypadSession& holder = *std::exchange(m_holder, nullptr);
    try {
        letGo();
        platform::pause(100);
    } catch (const std::exception&) {
        // The window closes whatever happens to its port.
    }
    holder.open();
}

bool KeypadSession::readByte(char& byte) {
    std::vector<char> buffer(static_cast<std::size_t>(std::max(m_comm->readBufferSize(), 1)), 0);
    if (m_comm->read(buffer.data(), 1) == -1) {
        showMessage(MessageKind::Information, msg::AberturaDeTabela, QString());
        return false;
    }
    byte = buffer[0];
    return true;
}

void KeypadSession::switchUsbKeypad(int mode) {
    platform::pause(100);
    if (!sendUsbCode(mode == 0 ? usbKeypadOn : usbKeypadOff)) {
        showMessage(MessageKind::Information, QStringLiteral("Problema na porta USB"), QString());
    }
}

// The switch knows ports by number: the digit after "COM" (only COM1 to COM9 work).
bool KeypadSession::sendUsbCode(int code) {
    const int port = static_cast<int>(textToInteger(m_settings.PINPAD.mid(3, 1)));
    const int dataBits = static_cast<int>(textToInteger(m_settings.DATABIT));
    platform::UsbKeypadSwitch& usb = platform::usbKeypadSwitch();
    const bool opened = usb.Open_Comm(port, m_settings.VELOCIDADE, dataBits, 0, 0, 0);
    usb.send_data_rs(port, code);
    usb.Close_Comm(port);
    return opened;
}

void KeypadSession::open() {
    m_comm->open();
    if (!m_comm->isOpen()) {
        m_retry.start();
    }
}

void KeypadSession::close() {
    m_retry.stop();
    m_comm->close();
}

void KeypadSession::letGo() {
    close();
    m_comm->setBreak(true);
    m_comm->setOnBytesReceived({});
}

void KeypadSession::lost() {
    close();
    m_retry.start();
}

// A USB keypad model comes back switched off, and its switch must let go of the port before the
// port opens; a switch that could not reach the port skips the try.
void KeypadSession::retry() {
    if (m_settings.usbModel() && !sendUsbCode(usbKeypadOn)) {
        return;
    }
    m_comm->open();
    if (m_comm->isOpen()) {
        m_retry.stop();
    }
}
