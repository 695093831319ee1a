#include "sources/VirtualCanTestBus.h"

#include <QHostAddress>

namespace vexmoor::test {

namespace {

const QByteArray kChannel = QByteArrayLiteral("can0");

QByteArray frameLine(const QCanBusFrame& frame)
{
    QByteArray flags;
    if (frame.frameType() == QCanBusFrame::RemoteRequestFrame)
        flags.append('R');
    if (frame.hasExtendedFrameFormat())
        flags.append('X');
    if (frame.hasFlexibleDataRateFormat())
        flags.append('F');
    return QByteArray::number(frame.frameId()) + '#' + flags + '#' + frame.payload().toHex() + '\n';
}

} // namespace

VirtualCanTestBus::VirtualCanTestBus()
{
    connect(&m_server, &QTcpServer::newConnection, this, &VirtualCanTestBus::accept);
    m_server.listen(QHostAddress::LocalHost, 0);
}

QString VirtualCanTestBus::url() const
{
    return QStringLiteral("tcp://127.0.0.1:%1/can0").arg(m_server.serverPort());
}

bool VirtualCanTestBus::hasListener() const
{
    for (const QSet<QByteArray>& channels : m_channels) {
        if (channels.contains(kChannel))
            return true;
    }
    return false;
}

void VirtualCanTestBus::send(const QCanBusFrame& frame)
{
    const QByteArray line = frameLine(frame);
    for (auto client = m_channels.cbegin(); client != m_channels.cend(); ++client) {
        if (client.value().contains(kChannel))
            client.key()->write(line);
    }
}

void VirtualCanTestBus::shutDown()
{
    m_server.close();
    const QList<QTcpSocket*> clients = m_channels.keys();
    for (QTcpSocket* client : clients) {
        forget(client);
        client->disconnectFromHost();
    }
}

void VirtualCanTestBus::accept()
{
    while (QTcpSocket* client = m_server.nextPendingConnection()) {
        m_channels.insert(client, {});
        connect(client, &QTcpSocket::readyRead, this, [this, client] { readLines(client); });
        connect(client, &QTcpSocket::disconnected, this, [this, client] {
            forget(client);
            client->deleteLater();
        });
    }
}

void VirtualCanTestBus::readLines(QTcpSocket* client)
{
    while (client->canReadLine()) {
        const QByteArray line = client->readLine().trimmed();
        if (line.startsWith("connect:")) {
            m_channels[client].insert(line.mid(static_cast<qsizetype>(qstrlen("connect:"))));
        } else if (line.startsWith("disconnect:")) {
            // As the plugin's own server does: the client waits for the server to hang up.
            forget(client);
            client->disconnectFromHost();
            return;
        } else {
            m_framesFromClients.append(line);
        }
    }
}

void VirtualCanTestBus::forget(QTcpSocket* client)
{
    m_channels.remove(client);
}

} // namespace vexmoor::test
