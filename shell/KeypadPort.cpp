#include "KeypadPort.h"

#include "CommInt.h"
#include "Database.h"
#include "KeypadDevices.h"
#include "SEFUNCOES.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace {

constexpr int retryMs = 2000;

TBaudrate baudRateOf(int speed, TBaudrate otherwise) {
    static constexpr std::array<std::pair<int, TBaudrate>, 13> rates = {{
        {1200, br1200},
        {2400, br2400},
        {3600, br2400}, // the component has no 3600
        {4800, br4800},
        {9600, br9600},
        {14400, br14400},
        {19200, br19200},
        {38400, br38400},
        {56000, br56000},
        {57600, br57600},
        {115200, br115200},
        {128000, br128000},
        {256000, br256000},
    }};
    for (const auto& [rate, member] : rates) {
        if (rate == speed) {
            return member;
        }
    }
    return otherwise;
}

} // namespace

TComm* createKeypadComm(QObject* owner) {
    auto* comm = new TComm(owner, &platform::keypadSerialDriver());
    comm->SetDeviceName(QStringLiteral("Com1"));
    comm->SetMonitorEvents(evRxChar);
    comm->SetBaudRate(br1200);
    comm->SetOptions(coParityCheck | coDsrSensitivity | coIgnoreXOff | coErrorChar | coNullStrip);
    return comm;
}

void applyKeypadSettings(TComm& comm, const DataSet& settings) {
    comm.SetDeviceName(settings.fieldText(QStringLiteral("PINPAD")));
    comm.SetBaudRate(
        baudRateOf(settings.fieldInteger(QStringLiteral("VELOCIDADE")), comm.BaudRate()));
    switch (textToInteger(settings.fieldText(QStringLiteral("DATABIT")))) {
    case 7:
        comm.SetDatabits(da7);
        break;
    case 8:
        comm.SetDatabits(da8);
        break;
    default:
        break;
    }
    switch (textToInteger(settings.fieldText(QStringLiteral("STOPBIT")))) {
    case 0:
        comm.SetStopbits(sb20); // the settings' 0 means two stop bits
        break;
    case 1:
        comm.SetStopbits(sb10);
        break;
    default:
        break;
    }
    // The settings' names are the other way round: "PAR" (even) gives odd parity.
    const QString parity = settings.fieldText(QStringLiteral("PARIDADE"));
    if (parity == QStringLiteral("PAR")) {
        comm.SetParity(paOdd);
    }
    if (parity == QStringLiteral("IMPAR")) {
        comm.SetParity(paEven);
    }
    if (parity == QStringLiteral("NADA")) {
        comm.SetParity(paNone);
    }
}

bool readKeypadByte(TComm& comm, char& byte) {
    std::vector<char> buffer(static_cast<std::size_t>(std::max(comm.ReadBufSize(), 1)), 0);
    if (comm.Read(buffer.data(), 1) == -1) {
        MENSAGEM(QStringLiteral("!"), msg::AberturaDeTabela, QString());
        return false;
    }
    byte = buffer[0];
    return true;
}

KeypadPort::KeypadPort(TComm& comm, QObject* owner)
    : QObject(owner)
    , m_comm(comm) {
    m_comm.SetOnDeviceLost([this](QObject*, int) { lost(); });
    m_retry.setInterval(retryMs);
    connect(&m_retry, &QTimer::timeout, this, &KeypadPort::retry);
}

void KeypadPort::open() {
    m_comm.Open();
    if (!m_comm.Enabled()) {
        m_retry.start();
    }
}

void KeypadPort::close() {
    m_retry.stop();
    m_comm.Close();
}

void KeypadPort::lost() {
    close();
    m_retry.start();
}

void KeypadPort::retry() {
    if (BeforeRetry && !BeforeRetry()) {
        return;
    }
    m_comm.Open();
    if (m_comm.Enabled()) {
        m_retry.stop();
    }
}
