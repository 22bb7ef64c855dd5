// A small stand-in for a site's administration back end, served on 127.0.0.1:
// a login form with a session cookie, a collection page, a channel generation
// page and a home generation address. It records every page load, button press
// and collection step with its time, for tests to read. The collection and
// channel pages asked for with "?alert=1" open an alert once they have loaded,
// and that is recorded as "alert <page>" just before.
#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTcpServer>

class QTcpSocket;

namespace sample_back_end {

struct Event {
  qint64 ms = 0;  // since the server started
  QString what;   // "load collect", "press channels:make-all", "progress 3 visible",
                  // "alert collect", "answer channels", ...
};

// One line per event, "<ms> <what>", as GET /__record serves them.
QString FormatRecording(const QList<Event>& events);

class BackEnd : public QObject {
 public:
  static constexpr char kUser[] = "admin";
  static constexpr char kPassword[] = "admin123";

  BackEnd();
  ~BackEnd() override;

  // Listens on 127.0.0.1; port 0 lets the system choose.
  bool Listen(quint16 port = 0);
  // Connections are refused from now on and open ones dropped, as when the
  // site goes down; sessions and the recording are kept.
  void GoDown();
  // Listens again on the same port.
  bool ComeBack();

  // From now on every HTML page is answered `ms` late, as by an overloaded
  // site, and recorded as "answer <page>" when it goes out; other requests are
  // answered meanwhile.
  void SetPageDelay(int ms) { page_delay_ms_ = ms; }

  quint16 Port() const { return port_; }
  QString Url(const QString& path) const;
  qint64 Now() const { return clock_.elapsed(); }
  const QList<Event>& Recording() const { return recording_; }
  void ResetRecording() { recording_.clear(); }

 private:
  struct Request;
  struct Response;

  void Accept();
  void Read(QTcpSocket* socket);
  Response Answer(const Request& request);
  Response AnswerLogin(const Request& request);
  static QByteArray Serialise(const Response& response);
  bool HasSession(const Request& request) const;
  void Record(const QString& what);

  QTcpServer server_;
  quint16 port_ = 0;
  QElapsedTimer clock_;
  QList<Event> recording_;
  QSet<QByteArray> sessions_;
  QHash<QTcpSocket*, QByteArray> pending_;
  int page_delay_ms_ = 0;
};

}  // namespace sample_back_end
