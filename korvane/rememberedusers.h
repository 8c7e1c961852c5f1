#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QStringList>

#include "remembereduser.h"

// The remembered users of usr.ini: one group per user name, plus the group
// "LastUser" naming the last user who logged in. Passwords are stored
// scrambled, one character per character (one per byte for Latin-1 text). The
// file is written in the settings class's escaped ASCII form; a file that was
// edited by hand in GBK or UTF-8 is turned into that form when it is opened.
// A new file is readable by its owner alone. Changes are written by sync() and
// at the latest when the object goes.
class RememberedUsers {
public:
  explicit RememberedUsers(const QString& path);
  ~RememberedUsers();
  RememberedUsers(const RememberedUsers&) = delete;
  RememberedUsers& operator=(const RememberedUsers&) = delete;

  QString lastUser() const;
  void setLastUser(const QString& name);

  // What usr.ini holds for `name`: flags 0 and no password when it holds nothing.
  RememberedUser user(const QString& name) const;
  // Writes the user's group. The password is kept only when the user asked
  // for it; otherwise an empty one is written.
  void save(const RememberedUser& user);
  // The user's "start with the system" flag, which only the settings page keeps.
  int selfStart(const QString& name) const;
  // Writes the user's auto-login and self-start flags; an empty name writes nothing.
  void setStartFlags(const QString& name, int autoLogin, int selfStart);
  // Removes the user's group. An empty name removes nothing (it would name the whole file).
  void remove(const QString& name);
  // The user groups, without "LastUser", in the settings' order.
  QStringList names() const;

  // Writes the changes to the file; false when it could not be written.
  bool sync();

  // XORs each byte with two repeating keys; a second call undoes the first.
  static void scramblePassword(QByteArray& bytes);
  // The same on each character's code, so that a password of any characters
  // round-trips; Latin-1 text gets exactly the bytes' stored form.
  static void scramblePassword(QString& text);

private:
  int flag(const QString& name, const char* key) const;
  void setValue(const QString& key, const QVariant& value);
  // Rewrites a file holding raw non-ASCII text (hand-written, in GBK or
  // UTF-8) in the escaped form, which the settings class reads without a codec.
  static const QString& escapeHandWrittenText(const QString& path);

  QString path_;
  QSettings settings_;
  bool changed_ = false;
};
