#include "tests/e2e/sample_back_end/back_end.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

using namespace Qt::Literals::StringLiterals;

namespace sample_back_end {

struct BackEnd::Request {
  QByteArray method;
  QString path;
  QUrlQuery query;
  QHash<QByteArray, QByteArray> headers;  // names in lower case
  QByteArray body;
};

struct BackEnd::Response {
  int status = 200;
  QByteArray content_type;
  QByteArray body;
  QList<QByteArray> headers;
};

namespace {

// A page, script or style sheet as built into the program.
QByteArray Asset(const QString& name) {
  QFile file(u":/sample_back_end/pages/"_s + name);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray ReasonOf(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 204:
      return "No Content";
    case 303:
      return "See Other";
    case 400:
      return "Bad Request";
    default:
      return "Not Found";
  }
}

}  // namespace

QByteArray BackEnd::Serialise(const Response& response) {
  QByteArray head =
      "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + ReasonOf(response.status) + "\r\n";
  if (!response.content_type.isEmpty()) head += "Content-Type: " + response.content_type + "\r\n";
  for (const QByteArray& header : response.headers) head += header + "\r\n";
  // Every load must reach the server to be recorded, never a cached copy.
  head += "Cache-Control: no-store\r\nContent-Length: " + QByteArray::number(response.body.size()) +
          "\r\nConnection: close\r\n\r\n";
  return head + response.body;
}

namespace {

// Pages that need the session, by path, with the name they are recorded under.
const QHash<QString, QString>& ProtectedPages() {
  static const QHash<QString, QString> pages{{u"/"_s, u"admin"_s},
                                             {u"/admin"_s, u"admin"_s},
                                             {u"/collect"_s, u"collect"_s},
                                             {u"/generate/channels"_s, u"channels"_s},
                                             {u"/generate/home"_s, u"home"_s}};
  return pages;
}

}  // namespace

QString FormatRecording(const QList<Event>& events) {
  QString text;
  for (const Event& event : events) text += u"%1 %2\n"_s.arg(event.ms).arg(event.what);
  return text;
}

BackEnd::BackEnd() {
  clock_.start();
  connect(&server_, &QTcpServer::newConnection, this, [this] { Accept(); });
}

BackEnd::~BackEnd() {
  GoDown();
  // Sockets still open (a page held back, say) would otherwise go with the
  // server and report their end to a back end already half destroyed.
  qDeleteAll(pending_.keys());
}

bool BackEnd::Listen(quint16 port) {
  if (!server_.listen(QHostAddress::LocalHost, port)) return false;
  port_ = server_.serverPort();
  return true;
}

void BackEnd::GoDown() {
  server_.close();
  const QList<QTcpSocket*> open = pending_.keys();
  for (QTcpSocket* socket : open) socket->abort();
}

bool BackEnd::ComeBack() { return server_.isListening() || Listen(port_); }

QString BackEnd::Url(const QString& path) const {
  return u"http://127.0.0.1:%1%2"_s.arg(port_).arg(path);
}

void BackEnd::Record(const QString& what) { recording_.append({Now(), what}); }

void BackEnd::Accept() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    pending_.insert(socket, {});
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QObject::destroyed, this, [this, socket] { pending_.remove(socket); });
  }
}

void BackEnd::Read(QTcpSocket* socket) {
  QByteArray& received = pending_[socket];
  received += socket->readAll();
  const qsizetype head_end = received.indexOf("\r\n\r\n");
  if (head_end < 0) return;

  Request request;
  const QList<QByteArray> lines = received.left(head_end).split('\n');
  const QList<QByteArray> request_line = lines.value(0).trimmed().split(' ');
  request.method = request_line.value(0);
  const QUrl target(QString::fromLatin1(request_line.value(1)));
  request.path = target.path();
  request.query = QUrlQuery(target);
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const qsizetype colon = lines[i].indexOf(':');
    if (colon > 0) {
      request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                             lines[i].mid(colon + 1).trimmed());
    }
  }
  const qsizetype body_size = request.headers.value("content-length", "0").toLongLong();
  if (received.size() < head_end + 4 + body_size) return;
  request.body = received.mid(head_end + 4, body_size);
  received.clear();

  const Response response = Answer(request);
  const QByteArray answer = Serialise(response);
  const auto send = [socket, answer] {
    socket->write(answer);
    socket->disconnectFromHost();
  };
  if (page_delay_ms_ <= 0 || !response.content_type.startsWith("text/html")) {
    send();
    return;
  }
  // Held by a timer, not a sleep, so the server goes on answering others; a
  // socket the client gave up on in the meantime takes the timer with it.
  const QString page = ProtectedPages().value(request.path, request.path.mid(1));
  QTimer::singleShot(page_delay_ms_, Qt::PreciseTimer, socket, [this, page, send] {
    Record(u"answer "_s + page);
    send();
  });
}

bool BackEnd::HasSession(const Request& request) const {
  for (const QByteArray& cookie : request.headers.value("cookie").split(';')) {
    const QByteArray trimmed = cookie.trimmed();
    if (trimmed.startsWith("session=") && sessions_.contains(trimmed.mid(8))) return true;
  }
  return false;
}

BackEnd::Response BackEnd::Answer(const Request& request) {
  const QString& path = request.path;
  // The test's own paths: no session, never recorded.
  if (path == u"/__record"_s) {
    return {200, "text/plain; charset=utf-8", FormatRecording(recording_).toUtf8(), {}};
  }
  if (path == u"/__reset"_s) {
    ResetRecording();
    return {204, {}, {}, {}};
  }
  // What pages include, and Chromium's own icon request: neither is recorded.
  if (path == u"/back-end.js"_s) {
    return {200, "text/javascript; charset=utf-8", Asset(u"back-end.js"_s), {}};
  }
  if (path == u"/style.css"_s) return {200, "text/css; charset=utf-8", Asset(u"style.css"_s), {}};
  if (path == u"/favicon.ico"_s) return {404, {}, {}, {}};
  if (path == u"/login"_s) return AnswerLogin(request);

  const bool is_page = ProtectedPages().contains(path);
  if (!is_page && path != u"/press"_s && path != u"/progress"_s && path != u"/alerted"_s) {
    Record(u"missing "_s + path);
    return {404, {}, {}, {}};
  }
  if (!HasSession(request)) {
    Record(u"denied "_s + path);
    return {303, {}, {}, {"Location: /login"}};
  }
  if (is_page) {
    const QString name = ProtectedPages().value(path);
    Record(u"load "_s + name);
    return {200, "text/html; charset=utf-8", Asset(name + u".html"_s), {}};
  }
  if (path == u"/press"_s) {
    Record(u"press %1:%2"_s.arg(request.query.queryItemValue(u"page"_s),
                                request.query.queryItemValue(u"control"_s)));
  } else if (path == u"/alerted"_s) {
    Record(u"alert "_s + request.query.queryItemValue(u"page"_s));
  } else {
    Record(u"progress %1 %2"_s.arg(request.query.queryItemValue(u"n"_s),
                                   request.query.queryItemValue(u"visibility"_s)));
  }
  return {204, {}, {}, {}};
}

BackEnd::Response BackEnd::AnswerLogin(const Request& request) {
  QString error;
  if (request.method == "POST") {
    QByteArray form = request.body;
    form.replace('+', ' ');
    const QUrlQuery fields(QString::fromUtf8(form));
    const QString user = fields.queryItemValue(u"user"_s, QUrl::FullyDecoded);
    const QString password = fields.queryItemValue(u"password"_s, QUrl::FullyDecoded);
    if (user == QLatin1String(kUser) && password == QLatin1String(kPassword)) {
      const QByteArray session = QByteArray::number(QRandomGenerator::global()->generate64(), 16);
      sessions_.insert(session);
      Record(u"login "_s + user);
      return {303,
              {},
              {},
              {"Set-Cookie: session=" + session + "; Path=/; HttpOnly; SameSite=Lax",
               "Location: /admin"}};
    }
    Record(u"login refused"_s);
    error = u"用户名或密码错误，请重新输入。"_s;
  } else {
    Record(u"load login"_s);
  }
  QByteArray page = Asset(u"login.html"_s);
  page.replace("{{error}}", error.toHtmlEscaped().toUtf8());
  return {200, "text/html; charset=utf-8", page, {}};
}

}  // namespace sample_back_end
