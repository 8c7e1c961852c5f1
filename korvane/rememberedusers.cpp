#include "rememberedusers.h"

namespace {

const char firstKey[] = "kestor4815";
const char secondKey[] = "OwlBridge";
const QString lastUserGroup = QStringLiteral("LastUser");

QString key(const QString& name, const char* item) { return name + QLatin1Char('/') + QLatin1String(item); }

// One character per byte, zero bytes included (QString::fromLatin1 of a
// QByteArray stops at the first zero byte).
QString latin1Text(const QByteArray& bytes) { return QString::fromLatin1(bytes.constData(), bytes.size()); }

}  // namespace

RememberedUsers::RememberedUsers(const QString& path) : settings_(path, QSettings::IniFormat) {}

QString RememberedUsers::lastUser() const {
  return settings_.value(QStringLiteral("/LastUser/UserName"), QString()).toString();
}

void RememberedUsers::setLastUser(const QString& name) { settings_.setValue(QStringLiteral("/LastUser/UserName"), name); }

RememberedUser RememberedUsers::user(const QString& name) const {
  RememberedUser user;
  user.name = name;
  if (name.isEmpty()) return user;
  QByteArray password = settings_.value(key(name, "PassWord"), QString()).toString().toLatin1();
  scramblePassword(password);
  user.password = latin1Text(password);
  user.rememberUserName = flag(name, "isRememberUserName");
  user.rememberPassword = flag(name, "isRememberPassWord");
  user.autoLogin = flag(name, "isAutoLogin");
  return user;
}

void RememberedUsers::save(const RememberedUser& user) {
  if (user.name.isEmpty()) return;
  QByteArray password = user.rememberPassword != 0 ? user.password.toLatin1() : QByteArray();
  scramblePassword(password);
  settings_.setValue(QLatin1Char('/') + key(user.name, "UserName"), user.name);
  settings_.setValue(key(user.name, "PassWord"), latin1Text(password));
  settings_.setValue(key(user.name, "isRememberUserName"), user.rememberUserName);
  settings_.setValue(key(user.name, "isRememberPassWord"), user.rememberPassword);
  settings_.setValue(key(user.name, "isAutoLogin"), user.autoLogin);
}

int RememberedUsers::selfStart(const QString& name) const {
  return name.isEmpty() ? 0 : flag(name, "isSelfStart");
}

void RememberedUsers::setStartFlags(const QString& name, int autoLogin, int selfStart) {
  if (name.isEmpty()) return;
  settings_.setValue(key(name, "isAutoLogin"), autoLogin);
  settings_.setValue(key(name, "isSelfStart"), selfStart);
}

bool RememberedUsers::sync() {
  settings_.sync();
  return settings_.status() == QSettings::NoError;
}

void RememberedUsers::remove(const QString& name) {
  if (!name.isEmpty()) settings_.remove(name);
}

QStringList RememberedUsers::names() const {
  QStringList groups = settings_.childGroups();
  groups.removeAll(lastUserGroup);
  return groups;
}

void RememberedUsers::scramblePassword(QByteArray& bytes) {
  for (int i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<char>(bytes[i] ^ firstKey[i % 10]);
    bytes[i] = static_cast<char>(bytes[i] ^ secondKey[i % 9]);
  }
}

int RememberedUsers::flag(const QString& name, const char* item) const {
  return settings_.value(key(name, item), QString()).toString().toInt(nullptr, 10);
}
