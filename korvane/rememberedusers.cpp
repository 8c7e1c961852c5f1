#include "rememberedusers.h"

#include <algorithm>

#include <QFile>
#include <QTextCodec>
#include <QVector>

#include "klog.h"
#include "settingsfiles.h"

namespace {

const char firstKey[] = "kestor4815";
const char secondKey[] = "OwlBridge";
const QString lastUserGroup = QStringLiteral("LastUser");

QString key(const QString& name, const char* item) { return name + QLatin1Char('/') + QLatin1String(item); }

// The codec of a hand-written file: UTF-8 when its bytes are UTF-8, else the
// system's code page, GBK.
QTextCodec* handWrittenCodec(const QByteArray& bytes) {
  QTextCodec* utf8 = QTextCodec::codecForName("UTF-8");
  QTextCodec::ConverterState state;
  utf8->toUnicode(bytes.constData(), bytes.size(), &state);
  return state.invalidChars == 0 ? utf8 : QTextCodec::codecForName("GBK");
}

// Group and key names of raw bytes come back from the settings class one
// character per byte; escaped names come back whole.
QString decodedKey(const QString& key, QTextCodec* codec) {
  const bool rawBytes = std::all_of(key.begin(), key.end(), [](QChar c) { return c.unicode() <= 0xFF; }) &&
                        std::any_of(key.begin(), key.end(), [](QChar c) { return c.unicode() >= 0x80; });
  return rawBytes ? codec->toUnicode(key.toLatin1()) : key;
}

}  // namespace

RememberedUsers::RememberedUsers(const QString& path)
    : path_(path), settings_(escapeHandWrittenText(path), QSettings::IniFormat) {}

RememberedUsers::~RememberedUsers() { sync(); }

const QString& RememberedUsers::escapeHandWrittenText(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return path;
  const QByteArray bytes = file.readAll();
  file.close();
  if (std::all_of(bytes.begin(), bytes.end(), [](char byte) { return static_cast<uchar>(byte) < 0x80; }))
    return path;

  QTextCodec* codec = handWrittenCodec(bytes);
  QVector<QPair<QString, QVariant>> entries;
  {
    QSettings raw(path, QSettings::IniFormat);
    raw.setIniCodec(codec);
    for (const QString& key : raw.allKeys()) entries.append({decodedKey(key, codec), raw.value(key)});
  }
  QSettings escaped(path, QSettings::IniFormat);
  escaped.clear();
  for (const auto& entry : entries) escaped.setValue(entry.first, entry.second);
  escaped.sync();
  if (escaped.status() != QSettings::NoError) {
    KLOG << "usr.ini holds" << codec->name() << "text and could not be written escaped:" << path;
    return path;
  }
  KLOG << "usr.ini held" << codec->name() << "text, now written escaped:" << path;
  return path;
}

QString RememberedUsers::lastUser() const {
  return settings_.value(QStringLiteral("/LastUser/UserName"), QString()).toString();
}

void RememberedUsers::setLastUser(const QString& name) { setValue(QStringLiteral("/LastUser/UserName"), name); }

void RememberedUsers::setValue(const QString& key, const QVariant& value) {
  settings_.setValue(key, value);
  changed_ = true;
}

RememberedUser RememberedUsers::user(const QString& name) const {
  RememberedUser user;
  user.name = name;
  if (name.isEmpty()) return user;
  QString password = settings_.value(key(name, "PassWord"), QString()).toString();
  scramblePassword(password);
  user.password = password;
  user.rememberUserName = flag(name, "isRememberUserName");
  user.rememberPassword = flag(name, "isRememberPassWord");
  user.autoLogin = flag(name, "isAutoLogin");
  return user;
}

void RememberedUsers::save(const RememberedUser& user) {
  if (user.name.isEmpty()) return;
  QString password = user.rememberPassword != 0 ? user.password : QString();
  scramblePassword(password);
  setValue(QLatin1Char('/') + key(user.name, "UserName"), user.name);
  setValue(key(user.name, "PassWord"), password);
  setValue(key(user.name, "isRememberUserName"), user.rememberUserName);
  setValue(key(user.name, "isRememberPassWord"), user.rememberPassword);
  setValue(key(user.name, "isAutoLogin"), user.autoLogin);
}

int RememberedUsers::selfStart(const QString& name) const {
  return name.isEmpty() ? 0 : flag(name, "isSelfStart");
}

void RememberedUsers::setStartFlags(const QString& name, int autoLogin, int selfStart) {
  if (name.isEmpty()) return;
  setValue(key(name, "isAutoLogin"), autoLogin);
  setValue(key(name, "isSelfStart"), selfStart);
}

bool RememberedUsers::sync() {
  if (changed_) SettingsFiles::createOwnerOnly(path_);
  changed_ = false;
  settings_.sync();
  return settings_.status() == QSettings::NoError;
}

void RememberedUsers::remove(const QString& name) {
  if (name.isEmpty()) return;
  settings_.remove(name);
  changed_ = true;
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

// The keys are ASCII: they change only the low seven bits of a code, so a
// Latin-1 character stays one, and any other character (a surrogate too)
// stays one of its kind.
void RememberedUsers::scramblePassword(QString& text) {
  for (int i = 0; i < text.size(); ++i) {
    ushort code = text[i].unicode();
    code = static_cast<ushort>(code ^ firstKey[i % 10]);
    code = static_cast<ushort>(code ^ secondKey[i % 9]);
    text[i] = QChar(code);
  }
}

int RememberedUsers::flag(const QString& name, const char* item) const {
  return settings_.value(key(name, item), QString()).toString().toInt(nullptr, 10);
}
