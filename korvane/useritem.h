#pragma once

#include <QPushButton>
#include <QString>

class QHBoxLayout;
class QLabel;

// One row of the remembered-user panel: the user's name and a button that
// deletes the user.
class UserItem : public QPushButton {
  Q_OBJECT

public:
  explicit UserItem(const QString& userName, QWidget* parent = nullptr);

  QString userName() const { return userName_; }

signals:
  void deleteCurrentUser();

private:
  QHBoxLayout* mainLayout_;
  QLabel* userNameLabel_;
  QPushButton* deleteButton_;
  QString userName_;
};
