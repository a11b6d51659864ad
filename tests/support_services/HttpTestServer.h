// A tiny HTTP/1.1 server on 127.0.0.1 for tests: answers prepared bodies by
// path, can hold a request unanswered, and records every request it gets,
// body bytes included. Runs on the test's own event loop.
#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <map>
#include <memory>
#include <string>
#include <vector>

class HttpTestServer : public QObject {
  Q_OBJECT

 public:
  struct Request {
    std::string method, path;
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;
  };

  HttpTestServer();
  // `hang`: read the request, never answer.
  void route(const std::string& path, int status, const std::string& body, bool hang = false);
  std::string url(const std::string& path) const;
  const std::vector<Request>& requests() const { return requests_; }

  // An address where nothing listens.
  static std::string closedPortUrl(const std::string& path);

 private:
  struct Route {
    int status = 200;
    std::string body;
    bool hang = false;
  };
  void onConnection();
  void onData(QTcpSocket* socket);

  QTcpServer server_;
  std::map<std::string, Route> routes_;
  std::map<QTcpSocket*, std::string> buffers_;
  std::vector<Request> requests_;
};
