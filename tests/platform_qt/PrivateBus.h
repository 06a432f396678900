#pragma once
// A D-Bus daemon of the test's own, ended with the test, and objects of the peers the test
// plays on it (a watcher, a notification server).

#include <signal.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace zerka::qt {

class TPrivateBus {
 public:
  TPrivateBus() {
    FILE* started = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null", "r");
    if (!started) return;
    char line[512] = {};
    if (fgets(line, sizeof line, started)) address_ = QString::fromLocal8Bit(line).trimmed();
    if (fgets(line, sizeof line, started)) pid_ = std::atoi(line);
    pclose(started);
  }
  ~TPrivateBus() {
    for (const QString& name : names_) QDBusConnection::disconnectFromBus(name);
    if (pid_ > 0) kill(pid_, SIGTERM);
  }
  TPrivateBus(const TPrivateBus&) = delete;
  TPrivateBus& operator=(const TPrivateBus&) = delete;
  bool Running() const { return pid_ > 0 && !address_.isEmpty(); }
  // A connection of its own for each name.
  QDBusConnection Connect(const QString& name) {
    if (!names_.contains(name)) names_ << name;
    return QDBusConnection::connectToBus(address_, name);
  }

 private:
  QString address_;
  int pid_ = 0;
  QStringList names_;
};

// An object of a peer the test plays: each call is recorded and answered by Answer (an empty
// reply when it is not set); an answer may also be sent later.
class TPlayedObject : public QDBusVirtualObject {
 public:
  std::function<void(const QDBusMessage& call, QDBusConnection connection)> Answer;
  QList<QDBusMessage> Calls;

  QList<QDBusMessage> CallsOf(const QString& member) const {
    QList<QDBusMessage> found;
    for (const QDBusMessage& call : Calls) {
      if (call.member() == member) found << call;
    }
    return found;
  }
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    Calls << message;
    if (Answer) {
      Answer(message, connection);
    } else {
      QDBusConnection(connection).send(message.createReply());
    }
    return true;
  }
};

}  // namespace zerka::qt
