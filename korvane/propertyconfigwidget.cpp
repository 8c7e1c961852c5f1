#include "propertyconfigwidget.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "aboutdlg.h"
#include "devstatedlg.h"
#include "softwaresettingdlg.h"
#include "ui_propertyconfigwidget.h"

namespace {
// The entry of the page shown is bold on a lighter ground; the pointer only
// shades the entry under it, so the mark never leaves the page shown.
const char* const menuButtonStyle =
    "QPushButton{border-style: none;color: white;}"
    "QPushButton:hover{background-color:rgba(255,255,255,30); color: white;}"
    "QPushButton:checked{background-color:rgba(255,255,255,60); color: white;font:bold}"
    "QPushButton:pressed{background-color:rgb(85, 170, 255); border-style: inset; }";
}  // namespace

propertyConfigWidget::propertyConfigWidget(QWidget* parent) : QWidget(parent), ui(new Ui::propertyConfigWidget) {
  ui->setupUi(this);
  setWindowTitle(tr("Zelvo OPC Server"));
  setMinimumSize(850, 500);
  for (QPushButton* button : {ui->InformationsBtn, ui->softwareSettingBtn, ui->aboutBtn}) {
    button->setStyleSheet(QLatin1String(menuButtonStyle));
    button->setCursor(Qt::PointingHandCursor);
    button->setCheckable(true);
    button->setAutoExclusive(true);
  }
  ui->InformationsBtn->setChecked(true);

  auto* pages = new QHBoxLayout;
  m_devStatePage = new DevStateDlg(ui->widget);
  connect(this, &propertyConfigWidget::curAllDeviceStat, m_devStatePage, &DevStateDlg::on_refreshDevStatTable);
  pages->addWidget(m_devStatePage);
  m_settingPage = new softwareSettingDlg(ui->widget);
  pages->addWidget(m_settingPage);
  m_settingPage->hide();
  m_aboutPage = new AboutDlg(ui->widget);
  pages->addWidget(m_aboutPage);
  m_aboutPage->hide();
  ui->widget->setLayout(pages);
  update();
}

propertyConfigWidget::~propertyConfigWidget() = default;

void propertyConfigWidget::on_InformationsBtn_clicked() { showPage(m_devStatePage, ui->InformationsBtn); }

void propertyConfigWidget::on_softwareSettingBtn_clicked() { showPage(m_settingPage, ui->softwareSettingBtn); }

void propertyConfigWidget::on_aboutBtn_clicked() { showPage(m_aboutPage, ui->aboutBtn); }

void propertyConfigWidget::showPage(QWidget* page, QPushButton* entry) {
  entry->setChecked(true);
  for (QWidget* each : {static_cast<QWidget*>(m_devStatePage), static_cast<QWidget*>(m_settingPage),
                        static_cast<QWidget*>(m_aboutPage)})
    each->setVisible(each == page);
  update();
}
