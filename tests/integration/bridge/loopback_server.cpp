#include "loopback_server.h"

#include <QTcpSocket>
#include <QTimer>

LoopbackServer::LoopbackServer() {
    connect(&m_server, &QTcpServer::newConnection, this, &LoopbackServer::OnConnection);
}

bool LoopbackServer::Start() {
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QString LoopbackServer::HostPort() const {
    return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort());
}

QString LoopbackServer::Url(const QString& path) const {
    return QStringLiteral("http://") + HostPort() + path;
}

void LoopbackServer::AddPage(const QByteArray& path, const QByteArray& html,
                             const QByteArray& contentType) {
    m_pages[path] = {contentType, html};
}

int LoopbackServer::CountOf(const QByteArray& path) const {
    int n = 0;
    for (const Request& r : m_requests) {
        n += r.path == path ? 1 : 0;
    }
    return n;
}

void LoopbackServer::OnConnection() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            const qsizetype headerEnd = buffer->indexOf("\r\n\r\n");
            if (headerEnd < 0) {
                return;
            }
            // The tests send no bodies: the request line is all they record.
            const QByteArray target =
                buffer->left(buffer->indexOf('\n')).trimmed().split(' ').value(1);
            Request request;
            const qsizetype q = target.indexOf('?');
            request.path = q < 0 ? target : target.left(q);
            request.query = q < 0 ? QByteArray() : target.mid(q + 1);
            buffer->clear();
            m_requests.push_back(request);
            const int delay = m_delays.value(request.path, 0);
            if (delay > 0) {
                QTimer::singleShot(delay, socket,
                                   [this, socket, request] { Answer(socket, request); });
            } else {
                Answer(socket, request);
            }
        });
    }
}

void LoopbackServer::Answer(QTcpSocket* socket, const Request& request) {
    QByteArray status = "200 OK";
    QByteArray type = "text/html; charset=utf-8";
    QByteArray body;
    const auto page = m_pages.constFind(request.path);
    if (page != m_pages.constEnd()) {
        type = page->first;
        body = page->second;
    } else {
        status = "404 Not Found";
        body = "<html><head><title>missing</title></head><body>missing</body></html>";
    }
    QByteArray response = "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
                          "\r\nContent-Length: " + QByteArray::number(body.size()) +
                          "\r\nCache-Control: max-age=3600\r\nConnection: close\r\n\r\n" + body;
    socket->write(response);
    socket->disconnectFromHost();
}
