#include "useritem.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>

UserItem::UserItem(const QString& userName, QWidget* parent)
    : QPushButton(parent),
      mainLayout_(new QHBoxLayout(this)),
      userNameLabel_(new QLabel(userName, this)),
      deleteButton_(new QPushButton(this)),
      userName_(userName) {
  mainLayout_->setObjectName(QStringLiteral("MainLayout"));
  userNameLabel_->setObjectName(QStringLiteral("UserNameLab"));
  deleteButton_->setObjectName(QStringLiteral("DeleteUserNameBtn"));

  deleteButton_->setFlat(true);
  deleteButton_->setIcon(QIcon(QStringLiteral(":/images/close_black.png")));
  deleteButton_->setStyleSheet(QStringLiteral(
      "QPushButton{border-style: none;}QPushButton:hover{background-color:red;color: black;}"
      "QPushButton:pressed{background-color:rgba(85, 170, 255,200); border-style: inset; }"));
  userNameLabel_->setStyleSheet(QStringLiteral(
      "QLabel{border-style: none;background-color:white;}QLabel:hover{background-color:red;color: black;}"));

  mainLayout_->addWidget(userNameLabel_);
  mainLayout_->addStretch(3);
  mainLayout_->addWidget(deleteButton_);

  connect(deleteButton_, &QPushButton::clicked, this, &UserItem::deleteCurrentUser);
}
