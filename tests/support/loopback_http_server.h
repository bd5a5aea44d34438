#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

#include <functional>

namespace tessik::testing {

struct HttpRequest
{
    QByteArray method;
    QByteArray path;
    // Header names lower-cased.
    QHash<QByteArray, QByteArray> headers;
};

struct HttpResponse
{
    int status = 200;
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;
    // Without a length the body ends when the connection closes.
    bool sendContentLength = true;
    // A server that takes the request and never answers.
    bool answer = true;
    // Bytes the Content-Length promises beyond the body but never sent.
    qsizetype missingBytes = 0;
    // Whether the connection closes after the answer; left open, the client waits for what is missing.
    bool close = true;
};

// A small HTTP/1.1 server on 127.0.0.1 that answers every request with the response it is given.
class LoopbackHttpServer : public QObject
{
public:
    LoopbackHttpServer();

    QUrl url() const;
    void respond(HttpResponse response) { m_response = std::move(response); }
    const QList<HttpRequest>& requests() const { return m_requests; }

private:
    void serve(class QTcpSocket* socket);

    QTcpServer m_server;
    HttpResponse m_response;
    QList<HttpRequest> m_requests;
};

} // namespace tessik::testing
