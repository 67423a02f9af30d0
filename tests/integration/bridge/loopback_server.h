#pragma once

// A small HTTP/1.1 server on 127.0.0.1 for the bridge tests: serves fixed pages,
// records every request, answers one request per connection.

#include <QByteArray>
#include <QHostAddress>
#include <QMap>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QVector>

class LoopbackServer : public QObject {
    Q_OBJECT

public:
    struct Request {
        QByteArray path; // without the query
        QByteArray query;
    };

    LoopbackServer();
    bool Start();
    QString Url(const QString& path) const;
    QString HostPort() const;

    // Pages say they may be cached for an hour, so a cache, if any, would keep them.
    void AddPage(const QByteArray& path, const QByteArray& html,
                 const QByteArray& contentType = "text/html; charset=utf-8");
    // Answers requests for `path` only after `ms` milliseconds.
    void Delay(const QByteArray& path, int ms) { m_delays[path] = ms; }
    const QVector<Request>& Requests() const { return m_requests; }
    int CountOf(const QByteArray& path) const;

private:
    void OnConnection();
    void Answer(class QTcpSocket* socket, const Request& request);

    QTcpServer m_server;
    QMap<QByteArray, QPair<QByteArray, QByteArray>> m_pages; // path -> (type, body)
    QVector<Request> m_requests;
    QMap<QByteArray, int> m_delays;
};
