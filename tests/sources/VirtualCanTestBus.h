#pragma once

#include <QByteArray>
#include <QCanBusFrame>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

namespace vexmoor::test {

// A virtual CAN bus that a test owns: a server on a free loopback port that speaks the line
// protocol of Qt's virtualcan plugin, so that the test can put frames on the bus and pull the plug.
// Each test has a port of its own, and the plugin's built-in server cannot take it from the test.
//
// The protocol, one line each, ending in '\n':
//   client to server  "connect:can0", "disconnect:can0", "can0:<id>#<flags>#<hex data>"
//   server to client  "<id>#<flags>#<hex data>" to every other client of that channel
// with the identifier in decimal and flags from R (remote), X (extended), F (CAN FD), B (bit rate
// switch), E (error state indicator), L (local echo).
class VirtualCanTestBus final : public QObject {
public:
    VirtualCanTestBus();

    bool isListening() const { return m_server.isListening(); }
    // "tcp://127.0.0.1:<port>/can0", what the plugin takes as its interface name.
    QString url() const;
    bool hasListener() const;

    // Puts the frame on can0 for every client that connected to it.
    void send(const QCanBusFrame& frame);
    // Frame lines that clients wrote, in order.
    QList<QByteArray> framesFromClients() const { return m_framesFromClients; }
    // Ends every client's connection and stops listening, as a server that quits does.
    void shutDown();

private:
    void accept();
    void readLines(QTcpSocket* client);
    void forget(QTcpSocket* client);

    QHash<QTcpSocket*, QSet<QByteArray>> m_channels; // the channels each client connected to
    QList<QByteArray> m_framesFromClients;
    // Goes first: its clients, which it owns, tell the bus as they go.
    QTcpServer m_server;
};

} // namespace vexmoor::test
