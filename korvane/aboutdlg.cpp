#include "aboutdlg.h"

#include <QIcon>
#include <QTextCursor>

#include "ui_aboutdlg.h"

AboutDlg::AboutDlg(QWidget* parent) : QWidget(parent), ui(new Ui::AboutDlg) {
  ui->setupUi(this);
  setWindowIcon(QIcon(QStringLiteral(":/images/opc.png")));
  setWindowTitle(tr("About"));
  ui->label_2->setText(QStringLiteral("Version:%1").arg(QLatin1String(version)));
  ui->textEdit->moveCursor(QTextCursor::Start);
  ui->textEdit->setReadOnly(true);
}

AboutDlg::~AboutDlg() = default;
