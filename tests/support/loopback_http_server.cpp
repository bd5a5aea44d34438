#include "loopback_http_server.h"

#include <QTcpSocket>

namespace tessik::testing {

LoopbackHttpServer::LoopbackHttpServer()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            auto buffer = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
                *buffer += socket->readAll();
                const qsizetype end = buffer->indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                HttpRequest request;
                const QList<QByteArray> lines = buffer->left(end).split('\n');
                const QList<QByteArray> start = lines.value(0).trimmed().split(' ');
                request.method = start.value(0);
                request.path = start.value(1);
                for (qsizetype i = 1; i < lines.size(); ++i) {
                    const qsizetype colon = lines[i].indexOf(':');
                    if (colon > 0)
                        request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                               lines[i].mid(colon + 1).trimmed());
                }
                buffer->clear();
                m_requests.append(request);
                serve(socket);
            });
        }
    });
}

QUrl LoopbackHttpServer::url() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()));
}

void LoopbackHttpServer::serve(QTcpSocket* socket)
{
    if (!m_response.answer)
        return;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(m_response.status) + " Status\r\nConnection: close\r\n";
    for (const auto& [name, value] : m_response.headers)
        head += name + ": " + value + "\r\n";
    if (m_response.sendContentLength)
        head += "Content-Length: " + QByteArray::number(m_response.body.size() + m_response.missingBytes) + "\r\n";
    socket->write(head + "\r\n" + m_response.body);
    if (m_response.close)
        socket->disconnectFromHost();
}

} // namespace tessik::testing
