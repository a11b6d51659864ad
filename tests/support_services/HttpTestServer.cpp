#include "HttpTestServer.h"

#include <algorithm>
#include <cctype>
#include <sstream>

HttpTestServer::HttpTestServer() {
  connect(&server_, &QTcpServer::newConnection, this, &HttpTestServer::onConnection);
  server_.listen(QHostAddress::LocalHost, 0);
}

void HttpTestServer::route(const std::string& path, int status, const std::string& body, bool hang) {
  routes_[path] = Route{status, body, hang};
}

std::string HttpTestServer::url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(server_.serverPort()) + path;
}

std::string HttpTestServer::closedPortUrl(const std::string& path) {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  std::string url = "http://127.0.0.1:" + std::to_string(probe.serverPort()) + path;
  probe.close();
  return url;
}

void HttpTestServer::onConnection() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    socket->setParent(this);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onData(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
      buffers_.erase(socket);
      socket->deleteLater();
    });
  }
}

void HttpTestServer::onData(QTcpSocket* socket) {
  std::string& buf = buffers_[socket];
  buf += socket->readAll().toStdString();
  for (;;) {
    size_t headEnd = buf.find("\r\n\r\n");
    if (headEnd == std::string::npos) return;
    Request r;
    std::istringstream head(buf.substr(0, headEnd));
    std::string line;
    std::getline(head, line);
    std::istringstream(line) >> r.method >> r.path;
    while (std::getline(head, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      size_t colon = line.find(':');
      if (colon == std::string::npos) continue;
      std::string name = line.substr(0, colon);
      std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
      std::string value = line.substr(colon + 1);
      value.erase(0, value.find_first_not_of(' '));
      r.headers[name] = value;
    }
    size_t length = r.headers.count("content-length") ? std::stoul(r.headers["content-length"]) : 0;
    if (buf.size() < headEnd + 4 + length) return;
    r.body = buf.substr(headEnd + 4, length);
    buf.erase(0, headEnd + 4 + length);
    requests_.push_back(r);

    auto it = routes_.find(r.path);
    Route route = it != routes_.end() ? it->second : Route{404, "not found", false};
    if (route.hang) continue;
    std::string reply = "HTTP/1.1 " + std::to_string(route.status) + " X\r\nContent-Type: application/xml\r\n" +
                        "Content-Length: " + std::to_string(route.body.size()) + "\r\nConnection: close\r\n\r\n" +
                        route.body;
    socket->write(reply.data(), static_cast<qint64>(reply.size()));
    socket->disconnectFromHost();
    return;
  }
}
