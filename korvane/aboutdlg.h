#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class AboutDlg;
}

// The about page: the product's name, the program's version and the about
// and licence text, read-only.
class AboutDlg : public QWidget {
  Q_OBJECT

public:
  static constexpr const char* version = "2.00.01";

  explicit AboutDlg(QWidget* parent = nullptr);
  ~AboutDlg() override;

private:
  std::unique_ptr<Ui::AboutDlg> ui;
};
